#pragma once
// What the script language asks of the rest of the player. The engine,
// components, media and files arrive in later layers; they supply a host
// that answers for them. Without one every system variable that depends on
// them reads as its initial value, writes to it are ignored, and the
// functions that need them fail the evaluation with a clear message.
#include <cstdint>
#include <span>

namespace mivo::script {

class TCustomParam;
class TParamCollectionItem;

class TScriptHost {
public:
    virtual ~TScriptHost() = default;

    // The result of the call being executed ("@Result"); null with no call.
    virtual TCustomParam* CallResult() { return nullptr; }

    // Element `element` of the host-backed system variable `index` (SV_
    // codes of system_vars.hpp) into `out`, a fresh parameter of the
    // variable's kind. Untouched, it reads as 0, 0.0, FALSE or "".
    virtual void ReadSystem(int index, int32_t element, TCustomParam& out) {
        (void)index, (void)element, (void)out;
    }
    // A write to a writable host-backed system variable, already converted
    // to the variable's kind.
    virtual void WriteSystem(int index, const TCustomParam& value) { (void)index, (void)value; }
    // Element count of the host-backed array variables ("@ParamStr",
    // "@MidiPorts"); the key tables always have 258.
    virtual int32_t SystemCount(int index) { (void)index; return 0; }

    // Value type (PT_ code) of a component property, for "GetProp".
    virtual uint8_t PropertyKind(int id) { (void)id; return 4; }

    // A system function that the script language does not carry itself.
    // Returns false when the host does not provide it either.
    virtual bool CallFunction(int index, TParamCollectionItem& target, std::span<TCustomParam* const> args) {
        (void)index, (void)target, (void)args;
        return false;
    }
};

}  // namespace mivo::script
