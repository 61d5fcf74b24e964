// Layered images from arbitrary bytes: the first four bytes choose the
// identification code (protected files), the rest is the file.
#include <cstdint>
#include <cstring>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"
#include "data/vuskframes.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mivo::SetPictureSizeLimit(1 << 20);
    int32_t ident = 0;
    if (size >= 4) {
        std::memcpy(&ident, data, 4);
        data += 4;
        size -= 4;
    }
    try {
        mivo::TVuskFrameList list(ident);
        mivo::VuskLoadOptions options;
        options.convert = (ident & 1) != 0;
        list.LoadFromBytes(data, size, "fuzz.vkx", options);
    } catch (const mivo::Error&) {
    }
    return 0;
}
