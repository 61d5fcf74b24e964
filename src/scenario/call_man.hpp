#pragma once
// The interpreter: runs the current page a step at a time, calls pages
// through a stack of frames, and starts event handlers at nesting levels.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/streams.hpp"
#include "scenario/engine_host.hpp"
#include "scenario/event_queue.hpp"
#include "scenario/page.hpp"
#include "script/params.hpp"

namespace mivo::script {
class TSysFuncMan;
class TParamCollection;
class TMivoParser;
}  // namespace mivo::script

namespace mivo {

// One call-stack frame.
struct TStack {
    std::string page_name;
    int32_t pc = 0;
    uint8_t started = 0;
    std::string result_var;
    std::vector<std::string> args;
    std::string sender;
    uint8_t run_on = 0;
    std::unique_ptr<TMemoryStream> state;
    std::unique_ptr<script::TCustomParam> result;

    void CopyFrom(const TStack& f);
};

class TStackList {
public:
    // Keeps the variables' current frame equal to the depth.
    explicit TStackList(script::TParamCollection& vars) : vars_(vars) {}
    TStack& Push();
    // Raises "スタックエラー" when empty; the frame stays valid until the next pop.
    TStack& Pop();
    void Clear();
    int Count() const { return static_cast<int>(frames_.size()); }
    bool Empty() const { return frames_.empty(); }
    TStack& At(int i) { return *frames_[static_cast<size_t>(i)]; }
    TStack& Top() { return *frames_.back(); }
    TStack& Spare() { return spare_; }

private:
    void Sync();
    script::TParamCollection& vars_;
    std::vector<std::unique_ptr<TStack>> frames_;
    TStack spare_;
};

class TCallMan {
public:
    static constexpr size_t kPageCache = 20;

    TCallMan(TEngineHost& host, script::TSysFuncMan& env, TEventQueue& events);
    ~TCallMan();

    void Start(std::string_view page_name);
    bool Step();
    // The page cache; resets pc to 0.
    TPage* GetPage(std::string_view name);

    int ArgumentCount() const { return static_cast<int>(args.size()); }
    std::string Argument(int i) const;
    std::string SenderName() const;
    script::TCustomParam* TopResult();

    void SaveToStream(TStream& s);
    void LoadFromStream(TStream& s, int32_t save_version);

    // Runs an expression; its Result, or null when it left none.
    script::TCustomParam* Eval(script::TMivoParser* e);
    // True when the expression leaves a Result that reads true.
    bool Condition(script::TMivoParser* e);
    TEngineHost& Host() { return host_; }
    script::TSysFuncMan& Env() { return env_; }
    script::TParamCollection& Vars();
    TEventQueue& Events() { return events_; }
    size_t CachedPages() const { return pages_.size(); }

    // State (the persistent form saves all of it).
    TPage* page = nullptr;
    int32_t pc = 0;
    uint8_t run_on = 0;
    TStackList stack;
    uint8_t started = 0;
    std::vector<std::string> args;
    int32_t mode = 0;
    std::string sender;
    int32_t level = 2;

private:
    void ExecuteOne(bool& yield);
    int RunOne();
    bool StartEvent(int32_t at_level);
    void TraceCommand(const TPage& p, int index, const char* prefix);

    TEngineHost& host_;
    script::TSysFuncMan& env_;
    TEventQueue& events_;
    std::list<std::unique_ptr<TPage>> pages_;  // most recently used first
    const TCommand* last_traced_ = nullptr;
};

}  // namespace mivo
