#pragma once
// The 51 system variables: entries of the variable collection whose value
// lives in player state. Their order is their number (TParamSystem Index).
#include <cstdint>
#include <string>

#include "script/params.hpp"

namespace mivo::script {

enum SysVar : uint8_t {
    SV_RESULT, SV_LCLICK, SV_RCLICK, SV_LPUSH, SV_RPUSH, SV_MOUSEX, SV_MOUSEY, SV_TEXTDELAY,
    SV_HISTORYCOUNT, SV_PARAMCOUNT, SV_PARAMSTR, SV_SENDER, SV_SCRWIDTH, SV_SCRHEIGHT, SV_TICKCOUNT,
    SV_PCTICKCOUNT, SV_UPDATECOUNT, SV_YEAR, SV_MONTH, SV_DAY, SV_WEEK, SV_HOUR, SV_MIN, SV_SEC,
    SV_FONTS, SV_FIXEDFONTS, SV_FULLSCR, SV_CURSOR, SV_SELSTR, SV_SELINDEX, SV_PI, SV_CGDITHER,
    SV_1HOUR, SV_1MIN, SV_1SEC, SV_KEYPUSH, SV_KEYCLICK, SV_DISPLAYMODECOUNT, SV_DISPLAYMODEINDEX,
    SV_TITLE, SV_SOUNDON, SV_ACTIVECOMPO, SV_KEYREPEAT, SV_HISTORYMAXCOUNT, SV_TEMP, SV_MIDIPORT,
    SV_MIDIPORTS, SV_WHEELDOWN, SV_WHEELUP, SV_ISDEBUG, SV_STACKCOUNT,
    SV_COUNT
};

enum class SysSource : uint8_t {
    Core,     // kept by the script language itself
    Host,     // supplied by the player (TScriptHost)
    Forward,  // "@Result" and "@Temp": stand for another parameter
};

struct SysVarInfo {
    const char* name;
    uint8_t kind;  // PT_NONE for the forwarding ones
    bool writable;
    SysSource source;
    bool array;  // element reads address a table; the scalar reads as empty
};

const SysVarInfo& SystemVarInfo(int index);

// One system variable. Every operation reads or changes the state its Index
// names; "@Result" and "@Temp" forward everything to what they stand for.
class TParamSystem : public TCustomParam {
public:
    TParamSystem(TParamCollection& owner, uint8_t index) : Index(index), owner_(owner) {}

    int32_t GetCount() const override;
    uint8_t GetKind() const override;

    bool AsBool() const override;
    long double AsFloat() const override;
    int32_t AsInt() const override;
    std::string AsStr() const override;
    void SetBool(bool b) override;
    void SetFloat(long double x) override;
    void SetInt(int32_t n) override;
    void SetStr(const std::string& s) override;

    int32_t GetIntAt(int64_t i) const override;
    void SetIntAt(int64_t i, int32_t n) override;
    long double GetFloatAt(int64_t i) const override;
    void SetFloatAt(int64_t i, long double x) override;
    bool GetBoolAt(int64_t i) const override;
    void SetBoolAt(int64_t i, bool b) override;
    std::string GetStrAt(int64_t i) const override;
    void SetStrAt(int64_t i, const std::string& s) override;

    int32_t GetDimCount() const override;
    int32_t GetDim(int32_t k) const override;
    std::vector<int32_t> Dims() const override;
    void SetDims(const std::vector<int32_t>& sizes) override;
    void FillInt(int32_t n) override;
    void FillFloat(long double x) override;
    void FillBool(bool b) override;
    void FillStr(const std::string& s) override;
    void CopyFrom(const TCustomParam& p) override;
    void AssignValue(const TCustomParam& p) override;
    void ClearDims() override;
    void Unique() override;
    void RemoveValue(const TCustomParam* p) override;
    int32_t FindStr(const std::string& s, bool case_sensitive, bool partial) const override;
    void MakeEmpty() override;
    const TCustomParam* Forward(int64_t* offset) const override;
    bool IsSystemVar() const override { return true; }

    const uint8_t Index;

private:
    const SysVarInfo& Info() const { return SystemVarInfo(Index); }
    // What "@Result" / "@Temp" stand for, or null.
    TCustomParam* Target() const;
    // Element i of a non-forwarding variable, as a scalar of its kind.
    std::unique_ptr<TCustomParam> Read(int64_t i) const;
    // Stores a value (already of the variable's kind) into element i.
    void Write(int64_t i, const TCustomParam& value);
    template <class V>
    void Store(int64_t i, const V& v);

    TParamCollection& owner_;
};

}  // namespace mivo::script
