#include "script/system_vars.hpp"

#include <chrono>

#include "script/param_collection.hpp"
#include "script/script_host.hpp"

namespace mivo::script {

namespace {
constexpr SysSource C = SysSource::Core, H = SysSource::Host, F = SysSource::Forward;
constexpr int32_t kKeyTableSize = 258;

const SysVarInfo kSysVars[SV_COUNT] = {
    {"@Result", PT_NONE, true, F, false},
    {"@LClick", PT_BOOL, true, H, false},
    {"@RClick", PT_BOOL, true, H, false},
    {"@LPush", PT_BOOL, false, H, false},
    {"@RPush", PT_BOOL, false, H, false},
    {"@MouseX", PT_INT, true, H, false},
    {"@MouseY", PT_INT, true, H, false},
    {"@TextDelay", PT_INT, true, C, false},
    {"@HistoryCount", PT_INT, false, H, false},
    {"@ParamCount", PT_INT, false, H, false},
    {"@ParamStr", PT_STR, false, H, true},
    {"@Sender", PT_STR, false, H, false},
    {"@ScrWidth", PT_INT, false, H, false},
    {"@ScrHeight", PT_INT, false, H, false},
    {"@TickCount", PT_INT, false, H, false},
    {"@PCTickCount", PT_INT, false, C, false},
    {"@UpdateCount", PT_INT, false, H, false},
    {"@Year", PT_INT, false, C, false},
    {"@Month", PT_INT, false, C, false},
    {"@Day", PT_INT, false, C, false},
    {"@Week", PT_INT, false, C, false},
    {"@Hour", PT_INT, false, C, false},
    {"@Min", PT_INT, false, C, false},
    {"@Sec", PT_INT, false, C, false},
    {"@Fonts", PT_STR, false, H, false},
    {"@FixedFonts", PT_STR, false, H, false},
    {"@FullScr", PT_BOOL, true, H, false},
    {"@Cursor", PT_STR, true, C, false},
    {"@SelStr", PT_STR, true, C, false},
    {"@SelIndex", PT_INT, true, C, false},
    {"@Pi", PT_FLOAT, false, C, false},
    {"@CGDither", PT_BOOL, true, H, false},
    {"@1Hour", PT_FLOAT, false, C, false},
    {"@1Min", PT_FLOAT, false, C, false},
    {"@1Sec", PT_FLOAT, false, C, false},
    {"@KeyPush", PT_BOOL, false, H, true},
    {"@KeyClick", PT_BOOL, false, H, true},
    {"@DisplayModeCount", PT_INT, false, H, false},
    {"@DisplayModeIndex", PT_INT, true, H, false},
    {"@Title", PT_STR, false, H, false},
    {"@SoundON", PT_BOOL, true, H, false},
    {"@ActiveCompo", PT_STR, true, H, false},
    {"@KeyRepeat", PT_BOOL, false, H, true},
    {"@HistoryMaxCount", PT_INT, true, H, false},
    {"@Temp", PT_NONE, true, F, false},
    {"@MidiPort", PT_STR, true, H, false},
    {"@MidiPorts", PT_STR, false, H, true},
    {"@WheelDown", PT_BOOL, false, H, false},
    {"@WheelUp", PT_BOOL, false, H, false},
    {"@IsDebug", PT_BOOL, false, C, false},
    {"@StackCount", PT_INT, false, H, false},
};

bool IsKeyTable(int index) { return index == SV_KEYPUSH || index == SV_KEYCLICK || index == SV_KEYREPEAT; }

int32_t PcTickCount() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<int32_t>(static_cast<uint32_t>(ms.count()));
}
}  // namespace

const SysVarInfo& SystemVarInfo(int index) { return kSysVars[index]; }

TCustomParam* TParamSystem::Target() const {
    if (Index == SV_RESULT) {
        TScriptHost* host = owner_.Host();
        return host ? host->CallResult() : nullptr;
    }
    if (Index == SV_TEMP) {
        if (owner_.TempName.empty()) return nullptr;
        TParamCollectionItem* item = owner_.Find(owner_.TempName);
        // "@Temp" never stands for a system variable (itself included).
        if (!item || owner_.IsSystem(*item)) return nullptr;
        return item->Param.get();
    }
    return nullptr;
}

const TCustomParam* TParamSystem::Forward(int64_t* offset) const {
    (void)offset;
    if (Info().source == SysSource::Forward) return Target();
    return this;
}

int32_t TParamSystem::GetCount() const {
    if (Info().source == SysSource::Forward) {
        TCustomParam* t = Target();
        return t ? t->GetCount() : 1;
    }
    if (!Info().array) return 1;
    if (IsKeyTable(Index)) return kKeyTableSize;
    TScriptHost* host = owner_.Host();
    int32_t n = host ? host->SystemCount(Index) : 0;
    return std::max(n, 0);
}

uint8_t TParamSystem::GetKind() const {
    if (Info().source == SysSource::Forward) {
        TCustomParam* t = Target();
        return t ? t->GetKind() : uint8_t{PT_NONE};
    }
    return Info().kind;
}

std::unique_ptr<TCustomParam> TParamSystem::Read(int64_t i) const {
    const SysVarInfo& info = Info();
    if (i < 0 || i >= GetCount()) ThrowBadIndex(i);
    auto out = MakeParam(info.kind);
    if (info.source == SysSource::Host) {
        if (TScriptHost* host = owner_.Host()) host->ReadSystem(Index, static_cast<int32_t>(i), *out);
        return out;
    }
    switch (Index) {
        case SV_TEXTDELAY: out->SetInt(owner_.TextDelay); break;
        case SV_PCTICKCOUNT: out->SetInt(PcTickCount()); break;
        case SV_YEAR: out->SetInt(owner_.Clock().year); break;
        case SV_MONTH: out->SetInt(owner_.Clock().month); break;
        case SV_DAY: out->SetInt(owner_.Clock().day); break;
        case SV_WEEK: out->SetInt(owner_.Clock().week); break;
        case SV_HOUR: out->SetInt(owner_.Clock().hour); break;
        case SV_MIN: out->SetInt(owner_.Clock().min); break;
        case SV_SEC: out->SetInt(owner_.Clock().sec); break;
        case SV_CURSOR: out->SetStr(owner_.CursorName); break;
        case SV_SELSTR: out->SetStr(owner_.SelStr); break;
        case SV_SELINDEX: out->SetInt(owner_.SelIndex); break;
        case SV_PI: out->SetFloat(3.141592653589793238462643383279502884L); break;
        case SV_1HOUR: out->SetFloat(1.0L / 24); break;
        case SV_1MIN: out->SetFloat(1.0L / 1440); break;
        case SV_1SEC: out->SetFloat(1.0L / 86400); break;
        default: break;  // "@IsDebug": always FALSE
    }
    return out;
}

void TParamSystem::Write(int64_t i, const TCustomParam& value) {
    const SysVarInfo& info = Info();
    if (i < 0 || i >= GetCount()) ThrowBadIndex(i);
    // Writing a read-only variable, or an element of a table, is ignored.
    if (!info.writable || info.array) return;
    if (info.source == SysSource::Host) {
        if (TScriptHost* host = owner_.Host()) host->WriteSystem(Index, value);
        return;
    }
    switch (Index) {
        case SV_TEXTDELAY: owner_.TextDelay = value.AsInt(); break;
        case SV_CURSOR: owner_.CursorName = value.AsStr(); break;
        case SV_SELSTR: owner_.SelStr = value.AsStr(); break;
        case SV_SELINDEX: owner_.SelIndex = value.AsInt(); break;
        default: break;
    }
}

template <class V>
void TParamSystem::Store(int64_t i, const V& v) {
    auto p = MakeParam(Info().kind);
    if (!p) return;
    if constexpr (std::is_same_v<V, std::string>) {
        // A string written to a Boolean system variable counts as a number.
        if (Info().kind == PT_BOOL) p->SetBool(ToInt(v) != 0);
        else p->SetStr(v);
    } else if constexpr (std::is_same_v<V, bool>) {
        p->SetBool(v);
    } else if constexpr (std::is_same_v<V, int32_t>) {
        p->SetInt(v);
    } else {
        p->SetFloat(v);
    }
    Write(i, *p);
}

// Forwarding variables hand each operation on; the others read one element
// of player state, or answer "nothing" for the scalar read of a table.
#define MIVO_SYS_SCALAR(AsX, SetX, GetXAt, SetXAt, Type, Arg, Default)                 \
    Type TParamSystem::AsX() const {                                                   \
        if (Info().source == SysSource::Forward) {                                     \
            TCustomParam* t = Target();                                                \
            return t ? t->AsX() : Default;                                             \
        }                                                                              \
        if (Info().array) return Default;                                              \
        return Read(0)->AsX();                                                         \
    }                                                                                  \
    void TParamSystem::SetX(Arg v) {                                                   \
        if (Info().source == SysSource::Forward) {                                     \
            if (TCustomParam* t = Target()) t->SetX(v);                                \
            return;                                                                    \
        }                                                                              \
        Store(0, v);                                                                   \
    }                                                                                  \
    Type TParamSystem::GetXAt(int64_t i) const {                                       \
        if (Info().source == SysSource::Forward) {                                     \
            TCustomParam* t = Target();                                                \
            return t ? t->GetXAt(i) : Default;                                         \
        }                                                                              \
        return Read(i)->AsX();                                                         \
    }                                                                                  \
    void TParamSystem::SetXAt(int64_t i, Arg v) {                                      \
        if (Info().source == SysSource::Forward) {                                     \
            if (TCustomParam* t = Target()) t->SetXAt(i, v);                           \
            return;                                                                    \
        }                                                                              \
        Store(i, v);                                                                   \
    }

MIVO_SYS_SCALAR(AsBool, SetBool, GetBoolAt, SetBoolAt, bool, bool, false)
MIVO_SYS_SCALAR(AsInt, SetInt, GetIntAt, SetIntAt, int32_t, int32_t, 0)
MIVO_SYS_SCALAR(AsFloat, SetFloat, GetFloatAt, SetFloatAt, long double, long double, 0)
MIVO_SYS_SCALAR(AsStr, SetStr, GetStrAt, SetStrAt, std::string, const std::string&, std::string())
#undef MIVO_SYS_SCALAR

int32_t TParamSystem::GetDimCount() const {
    TCustomParam* t = Info().source == SysSource::Forward ? Target() : nullptr;
    return t ? t->GetDimCount() : 1;
}

int32_t TParamSystem::GetDim(int32_t k) const {
    if (Info().source == SysSource::Forward) {
        TCustomParam* t = Target();
        return t ? t->GetDim(k) : 1;
    }
    return (k == 0 && Info().array) ? GetCount() : 1;
}

std::vector<int32_t> TParamSystem::Dims() const {
    if (Info().source == SysSource::Forward) {
        TCustomParam* t = Target();
        return t ? t->Dims() : std::vector<int32_t>{};
    }
    return Info().array ? std::vector<int32_t>{GetCount()} : std::vector<int32_t>{};
}

// The whole-value operations reach only what a forwarding variable stands
// for; player state cannot be re-dimensioned or filled.
#define MIVO_SYS_WHOLE(Name, Params, Args)                  \
    void TParamSystem::Name Params {                        \
        if (Info().source != SysSource::Forward) return;    \
        if (TCustomParam* t = Target()) t->Name Args;       \
    }
MIVO_SYS_WHOLE(SetDims, (const std::vector<int32_t>& sizes), (sizes))
MIVO_SYS_WHOLE(FillInt, (int32_t n), (n))
MIVO_SYS_WHOLE(FillFloat, (long double x), (x))
MIVO_SYS_WHOLE(FillBool, (bool b), (b))
MIVO_SYS_WHOLE(FillStr, (const std::string& s), (s))
MIVO_SYS_WHOLE(CopyFrom, (const TCustomParam& p), (p))
MIVO_SYS_WHOLE(AssignValue, (const TCustomParam& p), (p))
MIVO_SYS_WHOLE(ClearDims, (), ())
MIVO_SYS_WHOLE(Unique, (), ())
MIVO_SYS_WHOLE(RemoveValue, (const TCustomParam* p), (p))
MIVO_SYS_WHOLE(MakeEmpty, (), ())
#undef MIVO_SYS_WHOLE

int32_t TParamSystem::FindStr(const std::string& s, bool case_sensitive, bool partial) const {
    if (Info().source == SysSource::Forward) {
        TCustomParam* t = Target();
        return t ? t->FindStr(s, case_sensitive, partial) : -1;
    }
    return -1;
}

}  // namespace mivo::script
