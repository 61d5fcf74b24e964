#pragma once
// The player's one variable collection: a hashed, case-insensitive name
// table of parameters with the scope rules (global, auto-delete, local,
// status), the call-frame bookkeeping, the pushed-variable stacks and the
// bits of script state that are saved with the variables.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/hash_collection.hpp"
#include "data/streams.hpp"
#include "script/param_collection_item.hpp"
#include "script/params.hpp"

namespace mivo::script {

class TScriptHost;

enum class VarScope : uint8_t { Global = 0, AutoDelete = 1, Local = 2, Status = 3 };

// Temporaries of one evaluation. They are found by name like variables, but
// each evaluation (also one nested through "Calc") sees only its own.
class TTempScope {
public:
    // Forgets every temporary but keeps their storage for the next run.
    void Reset() { active_ = 0; }
    template <class F>
    void ForEach(F&& f) const {
        for (size_t i = 0; i < active_; ++i) f(*items_[i]);
    }
    TParamCollectionItem* Find(std::string_view name) const;
    // A new temporary of a kind (PT_NONE: an element reference).
    TParamCollectionItem& Add(std::string_view name, uint8_t kind);
    // A temporary created before the evaluation runs (a value handed in).
    void Seed(std::string name, std::unique_ptr<TCustomParam> p);

private:
    std::vector<std::unique_ptr<TParamCollectionItem>> items_;
    size_t active_ = 0;  // items_[0, active_) exist in this run
};

// Whether a name is an expression temporary ("____" prefix).
inline bool IsTempName(std::string_view name) { return name.size() >= 4 && name.substr(0, 4) == "____"; }

class TParamCollection : protected THashCollection<TParamCollectionItem> {
    using Base = THashCollection<TParamCollectionItem>;

public:
    using Base::At;
    using Base::Count;
    using Base::operator[];

    TParamCollection();
    ~TParamCollection() override;

    // Script state kept beside the variables.
    int32_t CurrentFrame = 0;
    std::string SelStr;
    int32_t SelIndex = 0;
    std::vector<std::unique_ptr<TMemoryStream>> VarStacks;
    int32_t TextDelay = 50;
    std::string CursorName;
    std::string TempName;
    // History settings found in saves of versions 113..134 (three pairs);
    // the message history picks them up.
    std::vector<int32_t> LegacyHistory;

    void SetHost(TScriptHost* host) { host_ = host; }
    TScriptHost* Host() const { return host_; }

    // Changes whenever an item is added, renamed or destroyed: a lookup made
    // at one stamp and frame stays right while both are unchanged.
    uint64_t Stamp() const { return stamp_; }
    // Find through a reference's cache.
    TParamCollectionItem* FindCached(TParamVar& ref) const;

    TParamCollectionItem& AddParam(uint8_t kind);
    // Names an item, checking the name.
    void SetItemName(TParamCollectionItem& item, std::string name);
    void SetKind(TParamCollectionItem& item, uint8_t kind);

    int IndexOf(std::string_view name) const;
    TParamCollectionItem* Find(std::string_view name) const;
    TParamCollectionItem* FindScoped(std::string_view name, bool local) const;
    std::unique_ptr<TCustomParam> ExtractValue(std::string_view name) const;

    // The variable-creation command: an existing status variable is left as
    // it is (returns it with created = false and nothing assigned); any other
    // existing item receives the initial value converted to its kind.
    TParamCollectionItem& VarNew(std::string_view name, uint8_t kind, VarScope scope,
                                 const TCustomParam* initial, bool* assigned = nullptr);
    // The deletion command.
    bool VarDelete(std::string_view name);

    void DeleteFrame(int32_t frame_id);
    // A call-stack entry taken out of the middle ("DeleteStack"): its
    // variables go, and the variables of the frames above it move down one
    // so that they stay with their frames.
    void RemoveFrame(int32_t frame_id);
    void ResetVars();
    bool IsSystem(const TParamCollectionItem& item) const;
    void AssignConverted(TParamCollectionItem& item, const TCustomParam& source);

    void SaveVars(TStream& s) const;
    void LoadVars(TStream& s, int32_t version);
    void SaveStatusVars(TStream& s) const;
    void LoadStatusVars(TStream& s);
    void PushVars(const std::vector<std::string>& names);
    void PopVars();

    // The local date and time of the date variables: read again whenever the
    // game clock has moved since the last reading.
    struct LocalClock {
        int32_t tick = 0;
        bool valid = false;
        int year = 0, month = 0, day = 0, week = 0, hour = 0, min = 0, sec = 0;
    };
    const LocalClock& Clock() const;

    // Evaluations in progress: their temporaries and their nesting.
    void EnterEvaluation(TTempScope& scope);
    void LeaveEvaluation();
    TTempScope* CurrentTemps() const { return temps_.empty() ? nullptr : temps_.back(); }
    int EvaluationDepth() const { return static_cast<int>(temps_.size()); }

private:
    // Takes items out; pointers to them stay valid until no evaluation runs,
    // so an operation in progress never touches freed memory.
    template <class Pred>
    void Destroy(Pred&& doomed);
    void WriteItems(TStream& s, bool status) const;
    void ReadItems(TStream& s);

    TParamCollectionItem& AddItem(std::unique_ptr<TParamCollectionItem> item, std::string name);
    void RenameItem(TParamCollectionItem& item, std::string name);

    TScriptHost* host_ = nullptr;
    uint64_t stamp_;
    mutable LocalClock clock_;
    std::vector<TTempScope*> temps_;
    std::vector<std::unique_ptr<TParamCollectionItem>> graveyard_;
};

// Checks a variable name: not empty, no space, not starting with a digit.
void CheckVarName(std::string_view name);

}  // namespace mivo::script
