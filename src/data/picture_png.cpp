// PNG through libpng's simplified interface: every colour type and bit
// depth, transparency chunks folded into the alpha plane.
#include <png.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"

namespace mivo {

namespace {

struct PngImage {
    png_image image{};
    PngImage() {
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
};

}  // namespace

DecodedPicture DecodePng(const void* data, size_t size, const std::string& name) {
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data, size))
        throw FormatError(name + ": not a readable PNG file (" + png.image.message + ")");
    const bool has_alpha = (png.image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    const uint32_t w = png.image.width, h = png.image.height;
    CheckPictureSize(w, h, name);
    png.image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> bgra(size_t(w) * h * 4);
    if (!png_image_finish_read(&png.image, nullptr, bgra.data(), 0, nullptr))
        throw FormatError(name + ": damaged PNG data (" + png.image.message + ")");
    DecodedPicture out;
    out.pixels.SetSize(int32_t(w), int32_t(h), 24);
    if (has_alpha) out.alpha.emplace(int32_t(w), int32_t(h), 8);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = bgra.data() + size_t(y) * w * 4;
        uint8_t* d = out.pixels.Row(int32_t(y));
        uint8_t* a = has_alpha ? out.alpha->Row(int32_t(y)) : nullptr;
        for (uint32_t x = 0; x < w; ++x) {
            d[3 * x] = s[4 * x];
            d[3 * x + 1] = s[4 * x + 1];
            d[3 * x + 2] = s[4 * x + 2];
            if (a) a[x] = s[4 * x + 3];
        }
    }
    return out;
}

std::string EncodePng(const TDIBSurface& pixels, const TDIBSurface* alpha) {
    const int32_t w = pixels.Width(), h = pixels.Height();
    const bool grey = pixels.BitCount() == 8 && !alpha;
    const TDIBSurface rgb = grey ? TDIBSurface() : ConvertTo24(pixels);
    const int channels = grey ? 1 : alpha ? 4 : 3;
    std::vector<uint8_t> buf(size_t(w) * h * channels);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* d = buf.data() + size_t(y) * w * channels;
        if (grey) {
            std::memcpy(d, pixels.Row(y), size_t(w));
            continue;
        }
        const uint8_t* s = rgb.Row(y);
        for (int32_t x = 0; x < w; ++x) {
            std::memcpy(d + size_t(x) * channels, s + 3 * size_t(x), 3);
            if (alpha) d[size_t(x) * channels + 3] = uint8_t(alpha->GetPixel(x, y));
        }
    }
    PngImage png;
    png.image.width = uint32_t(w);
    png.image.height = uint32_t(h);
    png.image.format = grey ? PNG_FORMAT_GRAY : alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, buf.data(), 0, nullptr))
        throw Error(std::string("PNG encoding failed: ") + png.image.message);
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&png.image, out.data(), &size, 0, buf.data(), 0, nullptr))
        throw Error(std::string("PNG encoding failed: ") + png.image.message);
    out.resize(size);
    return out;
}

}  // namespace mivo
