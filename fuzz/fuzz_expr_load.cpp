// Stored expressions as they come from scenario pages: load, run against a
// small set of variables, and write back; the bytes written must load again.
#include <cstdint>
#include <string>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

using namespace mivo;
using namespace mivo::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
    TMivoParser parser;
    try {
        parser.LoadFromStream(in);
    } catch (const Error&) {
        return 0;
    }
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    funcs.SetRandSeed(1);
    vars.VarNew("x", PT_INT, VarScope::Global, nullptr);
    vars.VarNew("s", PT_STR, VarScope::Global, nullptr).P().SetStr("abc");
    vars.VarNew("a", PT_INT, VarScope::Global, nullptr).P().SetDims({3, 4});
    parser.Execute(funcs);
    TMemoryStream out;
    parser.SaveToStream(out);
    out.SetPosition(0);
    TMivoParser again;
    again.LoadFromStream(out);  // must not throw: what we write, we read
    return 0;
}
