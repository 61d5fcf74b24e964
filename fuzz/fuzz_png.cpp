// Png pictures from arbitrary bytes.
#include <cstdint>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mivo::SetPictureSizeLimit(1 << 20);
    try {
        mivo::DecodePng(data, size, "fuzz.png");
    } catch (const mivo::Error&) {
    }
    return 0;
}
