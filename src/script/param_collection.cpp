#include "script/param_collection.hpp"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <unordered_set>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "platform/text_encoding.hpp"
#include "script/script_host.hpp"
#include "script/system_vars.hpp"

namespace mivo::script {

// ---- temporaries ---------------------------------------------------------

TParamCollectionItem* TTempScope::Find(std::string_view name) const {
    for (size_t i = 0; i < active_; ++i)
        if (sjis::SameText(items_[i]->Name(), name)) return items_[i].get();
    return nullptr;
}

TParamCollectionItem& TTempScope::Add(std::string_view name, uint8_t kind) {
    // An evaluation run again creates the same temporaries in the same
    // order: reuse the storage of the last run when it fits.
    if (active_ < items_.size()) {
        TParamCollectionItem& old = *items_[active_];
        if (old.P().ClassKind() == kind && old.Name() == name) {
            old.P().ResetValue();
            ++active_;
            return old;
        }
        items_.resize(active_);
    }
    auto p = MakeParam(kind);
    if (!p) throw Error("不正な変数の型です(" + std::to_string(kind) + ")");
    auto item = std::make_unique<TParamCollectionItem>(std::move(p));
    item->SetScratchName(std::string(name));
    items_.push_back(std::move(item));
    ++active_;
    return *items_.back();
}

void TTempScope::Seed(std::string name, std::unique_ptr<TCustomParam> p) {
    items_.resize(active_);
    auto item = std::make_unique<TParamCollectionItem>(std::move(p));
    item->SetScratchName(std::move(name));
    items_.push_back(std::move(item));
    ++active_;
}

// Stamps are unique across all collections, so a cached lookup can never be
// taken for one made in another collection.
namespace {
uint64_t NewStamp() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

// ---- names ---------------------------------------------------------------

void CheckVarName(std::string_view name) {
    if (name.empty() || name.find(' ') != std::string_view::npos || (name[0] >= '0' && name[0] <= '9'))
        throw Error("\"" + SjisToUtf8(name) + "\"：変数名が不正です");
}

TParamCollection::TParamCollection() : stamp_(NewStamp()) {
    for (int i = 0; i < SV_COUNT; ++i) {
        auto item = std::make_unique<TParamCollectionItem>(
            std::make_unique<TParamSystem>(*this, static_cast<uint8_t>(i)));
        AddItem(std::move(item), SystemVarInfo(i).name);
    }
}

TParamCollectionItem& TParamCollection::AddItem(std::unique_ptr<TParamCollectionItem> item, std::string name) {
    stamp_ = NewStamp();
    return Add(std::move(item), std::move(name));
}

void TParamCollection::RenameItem(TParamCollectionItem& item, std::string name) {
    stamp_ = NewStamp();
    Rename(item, std::move(name));
}

TParamCollectionItem* TParamCollection::FindCached(TParamVar& ref) const {
    if (IsTempName(ref.Name)) return Find(ref.Name);
    if (ref.CachedStamp == stamp_ && ref.CachedFrame == CurrentFrame) return ref.CachedItem;
    ref.CachedItem = Find(ref.Name);
    ref.CachedStamp = stamp_;
    ref.CachedFrame = CurrentFrame;
    return ref.CachedItem;
}

TParamCollection::~TParamCollection() = default;

TParamCollectionItem& TParamCollection::AddParam(uint8_t kind) {
    auto p = MakeParam(kind);
    if (!p) throw Error("不正な変数の型です(" + std::to_string(kind) + ")");
    return AddItem(std::make_unique<TParamCollectionItem>(std::move(p)), std::string());
}

void TParamCollection::SetItemName(TParamCollectionItem& item, std::string name) {
    CheckVarName(name);
    RenameItem(item, std::move(name));
}

void TParamCollection::SetKind(TParamCollectionItem& item, uint8_t kind) {
    auto p = MakeParam(kind);
    if (!p) throw Error("不正な変数の型です(" + std::to_string(kind) + ")");
    if (!temps_.empty()) graveyard_.push_back(std::make_unique<TParamCollectionItem>(std::move(item.Param)));
    item.Param = std::move(p);
}

// ---- lookup --------------------------------------------------------------

int TParamCollection::IndexOf(std::string_view name) const {
    // A local item of the current frame wins at once; otherwise the oldest
    // visible non-local item of that name.
    int found = -1;
    ForEachNamed(name, [&](const TParamCollectionItem& item) {
        if (item.Local) {
            if (item.FrameId != CurrentFrame) return false;
            found = item.Index();
            return true;
        }
        found = item.Index();
        return false;
    });
    return found;
}

TParamCollectionItem* TParamCollection::Find(std::string_view name) const {
    // Temporaries belong to the evaluation that runs.
    if (IsTempName(name)) {
        TTempScope* temps = CurrentTemps();
        return temps ? temps->Find(name) : nullptr;
    }
    return At(IndexOf(name));
}

TParamCollectionItem* TParamCollection::FindScoped(std::string_view name, bool local) const {
    TParamCollectionItem* found = nullptr;
    ForEachNamed(name, [&](TParamCollectionItem& item) {
        if (local) {
            if (item.Local && item.FrameId == CurrentFrame) {
                found = &item;
                return true;
            }
        } else if (!item.Local) {
            found = &item;
        }
        return false;
    });
    return found;
}

std::unique_ptr<TCustomParam> TParamCollection::ExtractValue(std::string_view name) const {
    TParamCollectionItem* item = Find(name);
    if (!item) return nullptr;
    auto copy = CloneValue(item->P());
    if (!copy) throw Error(SjisToUtf8(name) + ":不正な変数です");
    return copy;
}

bool TParamCollection::IsSystem(const TParamCollectionItem& item) const {
    return item.Param->IsSystemVar();
}

// ---- creation and destruction ---------------------------------------------

TParamCollectionItem& TParamCollection::VarNew(std::string_view name, uint8_t kind, VarScope scope,
                                               const TCustomParam* initial, bool* assigned) {
    if (assigned) *assigned = false;
    TParamCollectionItem* item = FindScoped(name, scope == VarScope::Local);
    if (item && item->Status) return *item;
    if (!item) {
        CheckVarName(name);
        item = &AddParam(kind);
        SetItemName(*item, std::string(name));
        if (scope == VarScope::AutoDelete || scope == VarScope::Local) item->FrameId = CurrentFrame;
        if (scope == VarScope::Local) item->Local = 1;
        if (scope == VarScope::Status) item->Status = 1;
    }
    if (initial) {
        TCustomParam& p = item->P();
        bool whole = initial->GetCount() != 1 || initial->GetDimCount() != 1 || !initial->Dims().empty();
        if (whole) {
            script::AssignConverted(p, *initial);
        } else {
            switch (p.GetKind()) {
                case PT_INT: p.SetInt(initial->AsInt()); break;
                case PT_FLOAT: p.SetFloat(initial->AsFloat()); break;
                case PT_BOOL: p.SetBool(initial->AsBool()); break;
                case PT_STR: p.SetStr(initial->AsStr()); break;
                default: break;
            }
        }
        if (assigned) *assigned = true;
    }
    return *item;
}

template <class Pred>
void TParamCollection::Destroy(Pred&& doomed) {
    auto removed = RemoveIf([&](TParamCollectionItem& item) { return !IsSystem(item) && doomed(item); });
    if (removed.empty()) return;
    stamp_ = NewStamp();
    std::unordered_set<const TParamCollectionItem*> gone;
    for (const auto& item : removed) gone.insert(item.get());
    // References elsewhere must not keep pointing at destroyed items; they
    // are bound again by name before their next use.
    auto unbind = [&](const TParamCollectionItem& item) {
        if (auto* ref = item.Param->AsRef(); ref && gone.count(ref->Target)) ref->Unbind();
    };
    for (int i = 0; i < Count(); ++i) unbind((*this)[i]);
    for (TTempScope* scope : temps_) scope->ForEach(unbind);
    if (!temps_.empty()) {
        for (auto& item : removed) graveyard_.push_back(std::move(item));
    }
}

bool TParamCollection::VarDelete(std::string_view name) {
    TParamCollectionItem* item = At(IndexOf(name));
    if (!item || IsSystem(*item)) return false;
    Destroy([&](const TParamCollectionItem& i) { return &i == item; });
    return true;
}

void TParamCollection::DeleteFrame(int32_t frame_id) {
    Destroy([&](const TParamCollectionItem& i) { return i.FrameId == frame_id; });
}

void TParamCollection::RemoveFrame(int32_t frame_id) {
    DeleteFrame(frame_id);
    for (int i = 0; i < Count(); ++i) {
        TParamCollectionItem& item = (*this)[i];
        if (item.FrameId > frame_id) --item.FrameId;
    }
    stamp_ = NewStamp();
}

void TParamCollection::ResetVars() {
    Destroy([](const TParamCollectionItem& i) { return i.Status == 0; });
    TextDelay = 50;
    CursorName.clear();
}

void TParamCollection::AssignConverted(TParamCollectionItem& item, const TCustomParam& source) {
    if (item.P().ClassKind() == PT_NONE && !IsSystem(item)) return;
    script::AssignConverted(item.P(), source);
}

void TParamCollection::EnterEvaluation(TTempScope& scope) { temps_.push_back(&scope); }

void TParamCollection::LeaveEvaluation() {
    temps_.pop_back();
    if (temps_.empty()) graveyard_.clear();
}

const TParamCollection::LocalClock& TParamCollection::Clock() const {
    int32_t tick = 0;
    if (host_) {
        TParamInt t;
        host_->ReadSystem(SV_TICKCOUNT, 0, t);
        tick = t.AsInt();
    }
    if (!clock_.valid || tick != clock_.tick) {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        clock_ = {tick, true, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday + 1,
                  tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
    return clock_;
}

// ---- stored forms --------------------------------------------------------

namespace {
int64_t Remaining(TStream& s) { return s.Size() - s.Position(); }

void WriteItemRecord(TStream& s, const TParamCollectionItem& item) {
    WriteStr(s, item.Name());
    item.P().SaveToStream(s);
    WriteByte(s, item.Status);
    WriteByte(s, item.Reserved);
    WriteInt32(s, item.FrameId);
    WriteByte(s, item.Local);
}
}  // namespace

void TParamCollection::WriteItems(TStream& s, bool status) const {
    std::vector<const TParamCollectionItem*> pending;
    for (int i = 0; i < Count(); ++i) {
        const TParamCollectionItem& item = (*this)[i];
        if (!IsSystem(item) && (item.Status != 0) == status) pending.push_back(&item);
    }
    WriteInt32(s, static_cast<int32_t>(pending.size()));
    // From the last to the first, again and again, so that a reference is
    // written only after its target. A reference whose target never comes
    // (a status or system variable, or one that is gone) is written once
    // nothing else can be.
    std::unordered_set<std::string> written;
    auto key = [](const std::string& name) { return sjis::LowerCase(name); };
    while (!pending.empty()) {
        bool progress = false;
        for (size_t k = pending.size(); k-- > 0;) {
            const TParamCollectionItem* item = pending[k];
            auto* ref = item->Param->AsRef();
            if (ref && ref->Target && !written.count(key(ref->Target->Name()))) continue;
            WriteByte(s, item->P().ClassKind());
            WriteItemRecord(s, *item);
            written.insert(key(item->Name()));
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(k));
            progress = true;
        }
        if (!progress) {
            for (size_t k = pending.size(); k-- > 0;) {
                WriteByte(s, pending[k]->P().ClassKind());
                WriteItemRecord(s, *pending[k]);
            }
            pending.clear();
        }
    }
}

void TParamCollection::ReadItems(TStream& s) {
    int32_t count = ReadInt32(s);
    // An item record takes at least 20 bytes.
    if (count < 0 || int64_t{count} * 20 > Remaining(s))
        throw FormatError("variables: bad item count " + std::to_string(count));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t kind = ReadByte(s);
        auto p = MakeParam(kind);
        if (!p) throw FormatError("variables: bad kind " + std::to_string(kind));
        std::string name = ReadStr(s, kMaxStrLen);
        CheckVarName(name);
        p->LoadFromStream(s, this);
        auto item = std::make_unique<TParamCollectionItem>(std::move(p));
        item->Status = ReadByte(s);
        item->Reserved = ReadByte(s);
        item->FrameId = ReadInt32(s);
        item->Local = ReadByte(s);
        AddItem(std::move(item), std::move(name));
    }
}

void TParamCollection::SaveVars(TStream& s) const {
    WriteItems(s, false);
    WriteInt32(s, TextDelay);
    WriteStr(s, CursorName);
    WriteStr(s, SelStr);
    WriteInt32(s, SelIndex);
    WriteStr(s, TempName);
    WriteInt32(s, static_cast<int32_t>(VarStacks.size()));
    for (const auto& stack : VarStacks) s.WriteBuffer(stack->Memory(), stack->Size());
}

namespace {
// One pushed-variable record read from s, returned as its bytes: the stacks
// of a save carry no length of their own, but each record says how long it
// is as it is read.
std::string ReadPushedRecord(TStream& s) {
    int64_t start = s.Position();
    int32_t count = ReadInt32(s);
    if (count < 0 || count > s.Size() - s.Position()) throw FormatError("pushed variables: bad count");
    for (int32_t i = 0; i < count; ++i) {
        int32_t kind = ReadInt32(s);
        auto p = (kind >= PT_INT && kind <= PT_STR) ? MakeParam(static_cast<uint8_t>(kind)) : nullptr;
        if (!p) throw FormatError("pushed variables: bad kind " + std::to_string(kind));
        ReadStr(s, kMaxStrLen);
        p->LoadFromStream(s, nullptr);
    }
    int64_t end = s.Position();
    std::string bytes(static_cast<size_t>(end - start), '\0');
    s.SetPosition(start);
    s.ReadBuffer(bytes.data(), end - start);
    return bytes;
}
}  // namespace

void TParamCollection::LoadVars(TStream& s, int32_t version) {
    Destroy([](const TParamCollectionItem& i) { return i.Status == 0; });
    ReadItems(s);
    TextDelay = ReadInt32(s);
    CursorName = ReadStr(s, kMaxStrLen);
    if (version > 102) {
        SelStr = ReadStr(s, kMaxStrLen);
        SelIndex = ReadInt32(s);
    }
    if (version > 112 && version < 135) {
        LegacyHistory.clear();
        for (int i = 0; i < 6; ++i) LegacyHistory.push_back(ReadInt32(s));
    }
    if (version > 120) TempName = ReadStr(s, kMaxStrLen);
    VarStacks.clear();
    if (version >= 139) {
        int32_t stacks = ReadInt32(s);
        // A record takes at least 4 bytes.
        if (stacks < 0 || int64_t{stacks} * 4 > Remaining(s)) throw FormatError("variables: bad stack count");
        for (int32_t i = 0; i < stacks; ++i)
            VarStacks.push_back(std::make_unique<TMemoryStream>(ReadPushedRecord(s)));
    }
}

void TParamCollection::SaveStatusVars(TStream& s) const { WriteItems(s, true); }

void TParamCollection::LoadStatusVars(TStream& s) { ReadItems(s); }

// ---- pushed variables ----------------------------------------------------

void TParamCollection::PushVars(const std::vector<std::string>& names) {
    std::vector<const TParamCollectionItem*> items;
    for (const std::string& name : names) {
        // Temporaries belong to the evaluation that runs; they are not
        // variables a page can keep.
        if (IsTempName(name)) continue;
        const TParamCollectionItem* item = At(IndexOf(name));
        if (item && !IsSystem(*item) && item->P().ClassKind() != PT_NONE) items.push_back(item);
    }
    auto stack = std::make_unique<TMemoryStream>();
    WriteInt32(*stack, static_cast<int32_t>(items.size()));
    for (const TParamCollectionItem* item : items) {
        WriteInt32(*stack, item->P().ClassKind());
        WriteStr(*stack, item->Name());
        item->P().SaveToStream(*stack);
    }
    VarStacks.push_back(std::move(stack));
}

void TParamCollection::PopVars() {
    if (VarStacks.empty()) return;
    std::unique_ptr<TMemoryStream> stack = std::move(VarStacks.back());
    VarStacks.pop_back();
    stack->SetPosition(0);
    int32_t count = ReadInt32(*stack);
    if (count < 0 || count > stack->Size()) throw FormatError("pushed variables: bad count");
    for (int32_t i = 0; i < count; ++i) {
        int32_t kind = ReadInt32(*stack);
        auto fresh = (kind >= PT_INT && kind <= PT_STR) ? MakeParam(static_cast<uint8_t>(kind)) : nullptr;
        if (!fresh) throw FormatError("pushed variables: bad kind " + std::to_string(kind));
        std::string name = ReadStr(*stack, kMaxStrLen);
        fresh->LoadFromStream(*stack, this);
        TParamCollectionItem* item = At(IndexOf(name));
        if (item && IsSystem(*item)) continue;
        if (item && item->P().ClassKind() != kind) {
            Destroy([&](const TParamCollectionItem& x) { return &x == item; });
            item = nullptr;
        }
        if (item) {
            item->P().AssignValue(*fresh);
        } else {
            CheckVarName(name);
            item = &AddParam(static_cast<uint8_t>(kind));
            RenameItem(*item, name);
            item->Param = std::move(fresh);
        }
    }
}

}  // namespace mivo::script
