#pragma once
// A variable collection with its function table, and shortcuts to declare
// variables and run source text the way the player does at run time.
#include <optional>
#include <string>

#include "data/streams.hpp"
#include "script/build_parser.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

namespace mivo::script::testing {

struct ScriptEnv {
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    std::string last_error;

    ScriptEnv() { funcs.SetRandSeed(12345); }

    TCustomParam& Declare(const std::string& name, uint8_t kind) {
        return vars.VarNew(name, kind, VarScope::Global, nullptr).P();
    }
    TCustomParam& Var(const std::string& name) { return vars.Find(name)->P(); }

    // Compiles and runs; the result as text, "(none)" without one, or
    // "error: ..." when it does not compile.
    std::string Run(const std::string& text) {
        TMivoParser parser;
        std::string error;
        if (!CompileExpression(text, parser, &error)) return "error: " + error;
        parser.Execute(funcs);
        last_error = parser.LastError();
        return parser.Result() ? parser.Result()->AsStr() : "(none)";
    }
};

}  // namespace mivo::script::testing
