#pragma once
// The system-function table and its dispatcher. Compiled pages store a
// function's index, so the order of the table is part of the page format.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "script/param_collection.hpp"

namespace mivo::script {

class TSysFuncMan;
class TScriptHost;

// One call: the item that receives the result, and the arguments (constants,
// bound references, temporaries) in source order.
class TFuncCall {
public:
    TFuncCall(TSysFuncMan& m, TParamCollectionItem& t, std::span<TCustomParam* const> a)
        : man(m), target(t), args(a) {}

    TSysFuncMan& man;
    TParamCollectionItem& target;
    std::span<TCustomParam* const> args;

    size_t Count() const { return args.size(); }
    bool Has(size_t i) const { return i < args.size(); }
    TCustomParam& Arg(size_t i) const;
    int32_t Int(size_t i) const { return Arg(i).AsInt(); }
    long double Float(size_t i) const { return Arg(i).AsFloat(); }
    bool Bool(size_t i) const { return Arg(i).AsBool(); }
    std::string Str(size_t i) const { return Arg(i).AsStr(); }
    // An argument that must name an existing variable; fails with
    // "<function>:変数が見つかりません" otherwise.
    TCustomParam& Var(size_t i) const;

    void SetInt(int32_t v) const { target.P().SetInt(v); }
    void SetFloat(long double v) const { target.P().SetFloat(v); }
    void SetBool(bool v) const { target.P().SetBool(v); }
    void SetStr(const std::string& v) const;

    const char* FunctionName() const;
    int index = 0;
};

using SysFuncHandler = void (*)(TFuncCall&);

struct SysFuncInfo {
    const char* name;
    int8_t min_args;
    int8_t max_args;  // -1: no limit
    uint8_t result;   // PT_ kind of the temporary that receives the result
    bool writes_args;  // writes into an argument ("var" or array arguments)
    SysFuncHandler run;  // null: provided by the host (a later layer)
};

inline constexpr int kSysFuncCount = 166;
const SysFuncInfo& SysFunction(int index);
// Index of a function by exact, case-sensitive name; -1 when none.
int FindSysFunction(std::string_view name);

// Handlers, one group per file.
void RegisterNumberFunctions(SysFuncHandler* table);
void RegisterStringFunctions(SysFuncHandler* table);
void RegisterPathFunctions(SysFuncHandler* table);
void RegisterArrayFunctions(SysFuncHandler* table);
void RegisterVariableFunctions(SysFuncHandler* table);
void RegisterDateFunctions(SysFuncHandler* table);

class TSysFuncMan {
public:
    explicit TSysFuncMan(TParamCollection& vars);

    // Runs function `index` into target; an index of 166 or more does
    // nothing. Failures are errors that end the evaluation.
    void CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args);

    TParamCollection& Vars() const { return vars_; }
    TScriptHost* Host() const { return vars_.Host(); }

    // The runtime generator behind "Random": x := 134775813 x + 1, the
    // result scaled by the bound. Seeded from the time of day at creation.
    void SetRandSeed(uint32_t seed) { rand_seed_ = seed; }
    int32_t Random(int32_t bound);

private:
    TParamCollection& vars_;
    uint32_t rand_seed_;
};

}  // namespace mivo::script
