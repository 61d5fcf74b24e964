// The variables section of a saved game and the status data: load, then
// save and load again.
#include <cstdint>
#include <string>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "script/param_collection.hpp"

using namespace mivo;
using namespace mivo::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the form: a saved game of some version, or the
    // status data.
    int32_t version = 100 + data[0] % 45;
    bool status = data[0] >= 200;
    TMemoryStream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    TParamCollection vars;
    try {
        if (status) vars.LoadStatusVars(in);
        else vars.LoadVars(in, version);
        vars.PopVars();
    } catch (const Error&) {
        return 0;
    }
    TMemoryStream out;
    vars.SaveVars(out);
    out.SetPosition(0);
    TParamCollection again;
    again.LoadVars(out, 139);  // must not throw
    return 0;
}
