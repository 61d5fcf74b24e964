// The function table in its stored order, and the dispatcher.
#include <array>
#include <chrono>

#include "core/error.hpp"
#include "script/script_host.hpp"
#include "script/sysfuncs.hpp"

namespace mivo::script {

namespace {

struct Row {
    const char* name;
    int8_t min_args, max_args;
    uint8_t result;
    bool writes_args;
};

constexpr uint8_t I = PT_INT, X = PT_FLOAT, B = PT_BOOL, S = PT_STR;
constexpr bool W = true, R = false;

constexpr Row kRows[kSysFuncCount] = {
    {"IntToStr", 1, 2, S, R},          {"IntToHex", 2, 2, S, R},          {"GetProp", 2, 2, S, W},
    {"SetProp", 3, 3, S, W},           {"GetArraySize", 1, 2, I, R},      {"Length", 1, 1, I, R},
    {"JLength", 1, 1, I, R},           {"Copy", 2, 3, S, R},              {"JCopy", 2, 3, S, R},
    {"Delete", 2, 3, S, W},            {"JDelete", 2, 3, S, W},           {"Insert", 3, 3, S, W},
    {"JInsert", 3, 3, S, W},           {"CompareStr", 2, 2, I, R},        {"CompareText", 2, 2, I, R},
    {"Pos", 2, 2, I, R},               {"JPos", 2, 2, I, R},              {"Trim", 1, 1, S, R},
    {"JTrim", 1, 1, S, R},             {"Exists", 1, 1, B, W},            {"Not", 1, 1, B, R},
    {"SetArray", 2, -1, I, W},         {"FillMem", 2, 2, I, W},           {"CopyMem", 2, 2, I, W},
    {"GetCheck", 2, 2, B, W},          {"SetCheck", 3, 3, I, W},          {"Random", 1, 1, I, R},
    {"GetSaveCaption", 1, 1, S, W},    {"ArrayToString", 1, 2, S, R},     {"StringToArray", 2, 3, I, W},
    {"IndexOfStr", 2, 4, I, R},        {"SortStr", 1, 3, I, W},           {"ListCompo", 1, 3, I, W},
    {"ToClientX", 2, 2, I, W},         {"ToClientY", 2, 2, I, W},         {"ToScreenX", 2, 2, I, W},
    {"ToScreenY", 2, 2, I, W},         {"Int", 1, 1, I, R},               {"Float", 1, 1, X, R},
    {"Sin", 1, 1, X, R},               {"Cos", 1, 1, X, R},               {"Tan", 1, 1, X, R},
    {"ArcSin", 1, 1, X, R},            {"ArcCos", 1, 1, X, R},            {"ArcTan", 1, 1, X, R},
    {"ArcTan2", 2, 2, X, R},           {"Hypot", 2, 2, X, R},             {"IndexOfMenu", 2, 2, I, W},
    {"Abs", 1, 1, I, R},               {"Fabs", 1, 1, X, R},              {"VarExists", 1, 1, B, R},
    {"EncodeDate", 3, 3, X, R},        {"EncodeTime", 3, 3, X, R},        {"DecodeDate", 4, 4, I, W},
    {"DecodeTime", 4, 4, I, W},        {"GetYear", 1, 1, I, R},           {"GetMonth", 1, 1, I, R},
    {"GetDay", 1, 1, I, R},            {"GetHour", 1, 1, I, R},           {"GetMin", 1, 1, I, R},
    {"GetSec", 1, 1, I, R},            {"GetWeek", 1, 1, I, R},           {"GetWeekStr", 1, 1, S, R},
    {"GetWeekJStr", 1, 1, S, R},       {"FixStr", 1, 1, S, R},            {"GetDisplayMode", 5, 5, B, W},
    {"AddArray", 2, 2, I, W},          {"InsertArray", 3, 3, I, W},       {"DeleteArray", 3, 3, I, W},
    {"InPrimary", 1, 1, B, W},         {"CopyArray", 2, 2, B, W},         {"FileExists", 1, 1, B, W},
    {"LoadTextFile", 2, 2, B, W},      {"LowerCase", 1, 1, S, R},         {"UpperCase", 1, 1, S, R},
    {"ExtractFilePath", 1, 1, S, R},   {"ExtractFileName", 1, 1, S, R},   {"ExtractFileExt", 1, 1, S, R},
    {"IsPathDelimiter", 2, 2, B, R},   {"AddBackSlash", 1, 1, S, R},      {"ChangeFileExt", 2, 2, S, R},
    {"IsDelimiter", 3, 3, B, R},       {"StringOfChar", 2, 2, S, R},      {"StringReplace", 3, 5, S, R},
    {"AssignTemp", 1, 1, B, R},        {"HanToZen", 1, 1, S, R},          {"ZenToHan", 1, 1, S, R},
    {"DBCreateTable", 2, 2, B, W},     {"DBSetActive", 1, 1, B, W},       {"DBAddField", 2, 3, B, W},
    {"DBSetRecNo", 1, 1, B, W},        {"DBInsert", 0, -1, B, W},         {"DBDelete", 0, 0, B, W},
    {"DBGetInt", 1, 1, I, W},          {"DBSetInt", 2, 2, B, W},          {"DBGetFloat", 1, 1, X, W},
    {"DBSetFloat", 2, 2, B, W},        {"DBGetBool", 1, 1, B, W},         {"DBSetBool", 2, 2, B, W},
    {"DBGetStr", 1, 1, S, W},          {"DBSetStr", 2, 2, B, W},          {"DBRecordCount", 0, 1, I, W},
    {"DBFindFirst", 0, 0, B, W},       {"DBFindLast", 0, 0, B, W},        {"DBFindNext", 0, 0, B, W},
    {"DBFindPrior", 0, 0, B, W},       {"DBLocate", 2, 4, B, W},          {"DBLoadTsvFile", 1, 1, B, W},
    {"DBDirectGetInt", 7, 7, I, W},    {"DBDirectSetInt", 7, 7, B, W},    {"DBDirectGetFloat", 7, 7, X, W},
    {"DBDirectSetFloat", 7, 7, B, W},  {"DBDirectGetBool", 7, 7, B, W},   {"DBDirectSetBool", 7, 7, B, W},
    {"DBDirectGetStr", 7, 7, S, W},    {"DBDirectSetStr", 7, 7, B, W},    {"DBCopyTable", 1, 5, B, W},
    {"DBDeleteTable", 0, 1, B, W},     {"DBInsertTable", 1, 5, B, W},     {"DBCopy", 1, 1, B, W},
    {"DBClearTable", 0, 0, B, W},      {"DBSort", 2, 2, B, W},            {"DBGetActive", 0, 0, S, W},
    {"DBGetRecNo", 0, 1, I, W},        {"DBClearRecord", 0, 1, B, W},     {"SetWallPaper", 2, 2, B, W},
    {"Min", 2, 2, I, R},               {"Max", 2, 2, I, R},               {"Fmin", 2, 2, X, R},
    {"Fmax", 2, 2, X, R},              {"GetVarType", 1, 1, I, R},        {"GetEnabled", 2, 2, B, W},
    {"SetEnabled", 3, 3, I, W},        {"AddDelimiter", 2, 2, S, R},      {"ListSaveCaption", 0, 2, I, W},
    {"OpenUrl", 1, 1, B, W},           {"Calc", 1, 1, S, R},              {"SaveScreen", 1, 5, B, W},
    {"StrToIntDef", 2, 2, I, R},       {"StrToFloatDef", 2, 2, X, R},     {"GetVisible", 2, 2, B, W},
    {"SetVisible", 3, 3, B, W},        {"GetHistoryCount", 1, 1, I, W},   {"GetHistoryMaxCount", 1, 1, I, W},
    {"SetHistoryMaxCount", 2, 2, B, W}, {"GetGroupIndex", 2, 2, I, W},    {"GetSelected", 2, 2, B, W},
    {"SetSelected", 3, 3, B, W},       {"SelectOpenFile", 1, 2, B, W},    {"SelectSaveFile", 1, 2, B, W},
    {"SelectDirectory", 1, 1, B, W},   {"ExtractFile", 1, 3, B, W},       {"Chr", 1, 1, S, R},
    {"Ord", 1, 1, I, R},               {"InCabinet", 1, 1, B, W},         {"PushVar", 1, -1, B, R},
    {"PopVar", 0, 0, B, R},            {"DeleteStack", 1, 1, B, W},       {"CopyFile", 2, 2, B, W},
    {"DBGetTableCount", 0, 0, I, W},   {"DBGetTable", 2, 3, B, W},        {"CreateObject", 2, 3, B, W},
    {"DeleteObject", 1, 1, B, W},      {"GetItem", 2, 2, S, W},           {"UniqueArray", 1, 1, I, W},
    {"TrimArray", 1, 2, I, W},
};

const std::array<SysFuncInfo, kSysFuncCount>& Table() {
    static const std::array<SysFuncInfo, kSysFuncCount> table = [] {
        SysFuncHandler handlers[kSysFuncCount] = {};
        RegisterNumberFunctions(handlers);
        RegisterStringFunctions(handlers);
        RegisterPathFunctions(handlers);
        RegisterArrayFunctions(handlers);
        RegisterVariableFunctions(handlers);
        RegisterDateFunctions(handlers);
        std::array<SysFuncInfo, kSysFuncCount> t{};
        for (int i = 0; i < kSysFuncCount; ++i) {
            const Row& r = kRows[i];
            t[static_cast<size_t>(i)] = {r.name, r.min_args, r.max_args, r.result, r.writes_args, handlers[i]};
        }
        return t;
    }();
    return table;
}

}  // namespace

const SysFuncInfo& SysFunction(int index) { return Table()[static_cast<size_t>(index)]; }

int FindSysFunction(std::string_view name) {
    for (int i = 0; i < kSysFuncCount; ++i)
        if (name == kRows[i].name) return i;
    return -1;
}

TCustomParam& TFuncCall::Arg(size_t i) const {
    if (i >= args.size()) throw Error(std::string(FunctionName()) + " 引数の数が不正です");
    return *args[i];
}

TCustomParam& TFuncCall::Var(size_t i) const {
    auto* ref = Arg(i).AsRef();
    if (!ref || !ref->Target) throw Error(std::string(FunctionName()) + ":変数が見つかりません");
    return *ref;
}

void TFuncCall::SetStr(const std::string& v) const {
    CheckStrLen(static_cast<int64_t>(v.size()));
    target.P().SetStr(v);
}

const char* TFuncCall::FunctionName() const { return SysFunction(index).name; }

TSysFuncMan::TSysFuncMan(TParamCollection& vars) : vars_(vars) {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    rand_seed_ = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int32_t TSysFuncMan::Random(int32_t bound) {
    rand_seed_ = rand_seed_ * 134775813u + 1u;
    if (bound <= 0) return 0;
    return static_cast<int32_t>((uint64_t{rand_seed_} * static_cast<uint32_t>(bound)) >> 32);
}

void TSysFuncMan::CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args) {
    if (index < 0 || index >= kSysFuncCount) return;
    const SysFuncInfo& info = SysFunction(index);
    // A function that writes into an argument must not change the constants
    // of the compiled expression: constants are handed over as copies.
    std::vector<std::unique_ptr<TCustomParam>> copies;
    std::vector<TCustomParam*> list(args.begin(), args.end());
    if (info.writes_args) {
        for (TCustomParam*& a : list) {
            if (a->AsRef() || a->GetKind() == PT_NONE) continue;
            copies.push_back(CloneValue(*a));
            a = copies.back().get();
        }
    }
    if (info.run) {
        TFuncCall call(*this, target, list);
        call.index = index;
        info.run(call);
        return;
    }
    TScriptHost* host = Host();
    if (host && host->CallFunction(index, target, list)) return;
    throw Error("\"" + std::string(info.name) + "\" 関数はこの環境では使えません");
}

}  // namespace mivo::script
