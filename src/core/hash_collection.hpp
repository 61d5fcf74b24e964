#pragma once
// Named collections with a 256-bucket hash, shared by the archive directory,
// the variable store and the other named tables.
//
// The bucket of a name of length L (after lower-casing single-byte letters) is
// (L * 16 + first byte + next-to-last byte) mod 256, or L * 16 mod 256 for a
// one-byte name. The newest item (and an item whose name changes) heads its
// bucket's chain; lookups walk the chain and ignore case.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/sjis.hpp"

namespace mivo {

inline uint8_t HashBucket(std::string_view name) {
    size_t len = name.size();
    if (len == 0) return 0;
    // Lower-case only bytes that are single-byte characters.
    auto folded_at = [&](size_t pos) -> uint8_t {
        for (size_t i = 0; i < len;) {
            size_t n = sjis::CharLen(name, i);
            if (pos < i + n) {
                char c = name[pos];
                return static_cast<uint8_t>(n == 1 ? sjis::AsciiLower(c) : c);
            }
            i += n;
        }
        return 0;
    };
    uint32_t h = static_cast<uint32_t>(len) * 16u;
    if (len > 1) h += folded_at(0) + folded_at(len - 2);
    return static_cast<uint8_t>(h & 0xFF);
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
    THashItem* next_ = nullptr;
};

template <class T>
class THashCollection {
public:
    THashCollection() { buckets_.fill(nullptr); }
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
        Link(base);
        items_.push_back(std::move(item));
        return *items_.back();
    }

    T* Find(std::string_view name) const {
        for (THashItem* p = buckets_[HashBucket(name)]; p; p = p->next_) {
            if (sjis::SameText(p->name_, name)) return static_cast<T*>(p);
        }
        return nullptr;
    }
    // Calls visit(item) for every item of that name, newest first, until it
    // returns true.
    template <class Visit>
    void ForEachNamed(std::string_view name, Visit&& visit) const {
        for (THashItem* p = buckets_[HashBucket(name)]; p; p = p->next_) {
            if (sjis::SameText(p->name_, name) && visit(*static_cast<T*>(p))) return;
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
        buckets_.fill(nullptr);
    }

protected:
    std::vector<std::unique_ptr<T>>& Items() { return items_; }

private:
    void Link(THashItem* item) {
        THashItem*& head = buckets_[HashBucket(item->name_)];
        item->next_ = head;
        head = item;
    }
    void Unlink(THashItem* item) {
        THashItem** p = &buckets_[HashBucket(item->name_)];
        while (*p && *p != item) p = &(*p)->next_;
        if (*p) *p = item->next_;
        item->next_ = nullptr;
    }

    std::vector<std::unique_ptr<T>> items_;
    std::array<THashItem*, 256> buckets_;
};

}  // namespace mivo
