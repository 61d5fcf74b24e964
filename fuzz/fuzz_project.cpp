// Arbitrary bytes as a project file and as an installation record.
#include <cstdint>
#include <string>

#include "core/error.hpp"
#include "scenario/project_file.hpp"
#include "scenario/project_source.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        mivo::TProjectSetting p = mivo::TProjectSetting::Parse(bytes, "mivo.zpb");
        std::string once = p.Serialize();
        if (mivo::TProjectSetting::Parse(once, "mivo.zpb").Serialize() != once) __builtin_trap();
        (void)mivo::DumpProjectSource(p);
    } catch (const mivo::Error&) {
    }
    try {
        (void)mivo::TMivoInstallSet::Parse(bytes, "install.dat");
    } catch (const mivo::Error&) {
    }
    return 0;
}
