// Feeds arbitrary bytes to the archive directory reader and, when a directory
// is accepted, reads every entry: nothing may crash, hang or allocate without
// bound.
#include <cstdint>
#include <cstring>

#include "core/error.hpp"
#include "data/vrfiles.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto src = std::make_unique<mivo::TTpBigMemoryStream>();
    if (size) src->Write(data, static_cast<int64_t>(size));
    src->SetPosition(0);
    mivo::TVrFileCollection a;
    try {
        a.ReadFrom(std::move(src), "fuzz.dat");
    } catch (const mivo::Error&) {
        return 0;
    }
    for (int i = 0; i < a.Count(); ++i) {
        try {
            std::string bytes = a.ReadEntry(a[i]);
            (void)bytes;
        } catch (const mivo::Error&) {
        }
        a.IndexOf(a[i].Name());
    }
    return 0;
}
