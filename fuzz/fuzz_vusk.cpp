// Layered images from arbitrary bytes: the first four bytes choose the
// identification code (protected files) and, through its low bits, the
// convert option and the screen bit count the colours are fitted to; the
// rest is the file.
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
        static const int kTargets[] = {0, 1, 4, 8, 15, 16, 24, 32};
        mivo::TVuskFrameList list(ident);
        list.TargetBitCount = kTargets[(uint32_t(ident) >> 1) & 7];
        mivo::VuskLoadOptions options;
        options.convert = (ident & 1) != 0;
        options.keep_layer_palettes = (ident & 16) != 0;
        list.LoadFromBytes(data, size, "fuzz.vkx", options);
    } catch (const mivo::Error&) {
    }
    return 0;
}
