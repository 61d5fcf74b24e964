#pragma once
// Named collections with hashed, case-insensitive lookup, shared by the
// archive directory, the variable store and the other named tables.
//
// Names need not be unique: the newest item of a name (or the one renamed
// last) is the one a lookup finds, because it heads its bucket's chain. Game
// names share lengths and first letters ("image\\bg01.vkx", "image\\bg02.vkx"),
// so the bucket comes from a hash of the whole lower-cased name and the
// table grows with the collection; a short, fixed table of weak buckets would
// make every lookup in a large archive walk thousands of items.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/sjis.hpp"

namespace mivo {

// FNV-1a of the name with single-byte letters lower-cased (trail bytes of
// double-byte characters are taken as they are).
inline uint64_t HashName(std::string_view name) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < name.size();) {
        size_t n = sjis::CharLen(name, i);
        for (size_t k = 0; k < n; ++k) {
            char c = name[i + k];
            h ^= static_cast<uint8_t>(n == 1 ? sjis::AsciiLower(c) : c);
            h *= 1099511628211ull;
        }
        i += n;
    }
    return h;
}

// Base of every hashed item: its name, its position in the collection and
// the link to the next item of its bucket.
class THashItem {
public:
    virtual ~THashItem() = default;
    const std::string& Name() const { return name_; }
    int Index() const { return index_; }

protected:
    // Names an item that is kept outside any collection (a scratch item that
    // is looked up by its owner, never hashed).
    void SetDetachedName(std::string name) { name_ = std::move(name); }

private:
    template <class T>
    friend class THashCollection;
    std::string name_;
    int index_ = -1;
    uint64_t hash_ = 0;
    uint64_t stamp_ = 0;  // when it was linked: newer items head their chains
    THashItem* next_ = nullptr;
};

template <class T>
class THashCollection {
public:
    THashCollection() : buckets_(kMinBuckets, nullptr) {}
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;
    virtual ~THashCollection() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    T& operator[](int i) const { return *items_[static_cast<size_t>(i)]; }
    T* At(int i) const {
        return (i >= 0 && i < Count()) ? items_[static_cast<size_t>(i)].get() : nullptr;
    }

    // Appends an item under a name; it heads its bucket's chain.
    T& Add(std::unique_ptr<T> item, std::string name) {
        THashItem* base = item.get();
        base->name_ = std::move(name);
        base->index_ = Count();
        items_.push_back(std::move(item));
        if (items_.size() > buckets_.size()) Grow();
        Link(base);
        return *items_.back();
    }

    T* Find(std::string_view name) const {
        uint64_t h = HashName(name);
        for (THashItem* p = buckets_[h & (buckets_.size() - 1)]; p; p = p->next_) {
            if (p->hash_ == h && sjis::SameText(p->name_, name)) return static_cast<T*>(p);
        }
        return nullptr;
    }
    // Calls visit(item) for every item of that name, newest first, until it
    // returns true.
    template <class Visit>
    void ForEachNamed(std::string_view name, Visit&& visit) const {
        uint64_t h = HashName(name);
        for (THashItem* p = buckets_[h & (buckets_.size() - 1)]; p; p = p->next_) {
            if (p->hash_ == h && sjis::SameText(p->name_, name) && visit(*static_cast<T*>(p))) return;
        }
    }
    int IndexOf(std::string_view name) const {
        const T* item = Find(name);
        return item ? item->Index() : -1;
    }

    void Rename(T& item, std::string name) {
        Unlink(&item);
        item.name_ = std::move(name);
        Link(&item);
    }

    void Delete(int index) {
        if (index < 0 || index >= Count()) return;
        Unlink(items_[static_cast<size_t>(index)].get());
        items_.erase(items_.begin() + index);
        for (int i = index; i < Count(); ++i) items_[static_cast<size_t>(i)]->index_ = i;
    }

    // Takes every item for which doomed(item) holds out of the collection in
    // one pass (positions renumbered once) and hands them to the caller.
    template <class Pred>
    std::vector<std::unique_ptr<T>> RemoveIf(Pred&& doomed) {
        std::vector<std::unique_ptr<T>> removed;
        size_t kept = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            if (doomed(*items_[i])) {
                Unlink(items_[i].get());
                removed.push_back(std::move(items_[i]));
            } else {
                if (kept != i) items_[kept] = std::move(items_[i]);
                items_[kept]->index_ = static_cast<int>(kept);
                ++kept;
            }
        }
        items_.resize(kept);
        return removed;
    }

    void Clear() {
        items_.clear();
        buckets_.assign(kMinBuckets, nullptr);
    }

protected:
    std::vector<std::unique_ptr<T>>& Items() { return items_; }

private:
    static constexpr size_t kMinBuckets = 256;

    void Link(THashItem* item) {
        item->hash_ = HashName(item->name_);
        item->stamp_ = ++clock_;
        Chain(item);
    }
    void Chain(THashItem* item) {
        THashItem*& head = buckets_[item->hash_ & (buckets_.size() - 1)];
        item->next_ = head;
        head = item;
    }
    void Unlink(THashItem* item) {
        THashItem** p = &buckets_[item->hash_ & (buckets_.size() - 1)];
        while (*p && *p != item) p = &(*p)->next_;
        if (*p) *p = item->next_;
        item->next_ = nullptr;
    }
    // Doubles the table, relinking oldest first so each chain keeps running
    // from the newest item to the oldest.
    void Grow() {
        buckets_.assign(buckets_.size() * 2, nullptr);
        std::vector<THashItem*> order;
        order.reserve(items_.size());
        for (auto& it : items_)
            if (it->stamp_ != 0) order.push_back(it.get());
        std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->stamp_ < b->stamp_; });
        for (THashItem* it : order) Chain(it);
    }

    std::vector<std::unique_ptr<T>> items_;
    std::vector<THashItem*> buckets_;
    uint64_t clock_ = 0;
};

}  // namespace mivo
