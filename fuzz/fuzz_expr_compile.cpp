// Source text through the run-time compiler: compile, store, load and run.
#include <cstdint>
#include <string>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "script/build_parser.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

using namespace mivo;
using namespace mivo::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TBuildMivoParser build;
    try {
        build.Build(text);
    } catch (const Error&) {
        return 0;
    }
    TMemoryStream stream;
    build.SaveToStream(stream);
    stream.SetPosition(0);
    TMivoParser parser;
    parser.LoadFromStream(stream);  // must not throw
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    funcs.SetRandSeed(1);
    vars.VarNew("x", PT_INT, VarScope::Global, nullptr);
    vars.VarNew("s", PT_STR, VarScope::Global, nullptr).P().SetStr("x = x + 1");
    vars.VarNew("a", PT_STR, VarScope::Global, nullptr).P().SetDims({4});
    parser.Execute(funcs);
    return 0;
}
