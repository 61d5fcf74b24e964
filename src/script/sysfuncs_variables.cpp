// Variables and run-time evaluation.
#include "script/mivo_parser.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

void VarExistsF(TFuncCall& c) { c.SetBool(c.man.Vars().Find(c.Str(0)) != nullptr); }

void AssignTempF(TFuncCall& c) {
    std::string name = c.Str(0);
    bool exists = c.man.Vars().Find(name) != nullptr;
    if (exists) c.man.Vars().TempName = name;
    c.SetBool(exists);
}

void PushVarF(TFuncCall& c) {
    std::vector<std::string> names;
    for (size_t i = 0; i < c.Count(); ++i) names.push_back(c.Str(i));
    c.man.Vars().PushVars(names);
    c.SetBool(true);
}

void PopVarF(TFuncCall& c) {
    c.man.Vars().PopVars();
    c.SetBool(true);
}

void CalcF(TFuncCall& c) { c.SetStr(CompileAndRun(c.Str(0), c.man) ? "TRUE" : ""); }

}  // namespace

void RegisterVariableFunctions(SysFuncHandler* t) {
    SetHandler(t, "VarExists", VarExistsF);
    SetHandler(t, "AssignTemp", AssignTempF);
    SetHandler(t, "PushVar", PushVarF);
    SetHandler(t, "PopVar", PopVarF);
    SetHandler(t, "Calc", CalcF);
}

}  // namespace mivo::script
