#pragma once
// The queue of events raised by components: each entry names the handler
// page (optionally "page:label"), the component that raised it, the event
// kind and its parameters. Entries wait with run level 0 until the engine
// starts them at a level.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace mivo {

struct TTimerData {
    std::string page_ref;
    std::string sender;  // full name of the component, empty for none
    int32_t kind = 0;    // the event property's id
    int32_t run_level = 0;
    std::vector<std::string> params;
};

class TEventQueue {
public:
    void Add(TTimerData entry) { items_.push_back(std::move(entry)); }
    TTimerData* FirstWaiting() {
        for (auto& e : items_)
            if (e.run_level == 0) return &e;
        return nullptr;
    }
    void RemoveLevel(int32_t level) { RemoveIf([&](const TTimerData& e) { return e.run_level == level; }); }
    void RemoveStarted() { RemoveIf([](const TTimerData& e) { return e.run_level != 0; }); }
    void RemoveLevels(int32_t from, int32_t to) {
        RemoveIf([&](const TTimerData& e) { return e.run_level >= from && e.run_level <= to; });
    }
    void Clear() { items_.clear(); }
    size_t Size() const { return items_.size(); }
    const std::deque<TTimerData>& Items() const { return items_; }

private:
    template <class Pred>
    void RemoveIf(Pred p) {
        for (auto it = items_.begin(); it != items_.end();) it = p(*it) ? items_.erase(it) : it + 1;
    }
    std::deque<TTimerData> items_;
};

}  // namespace mivo
