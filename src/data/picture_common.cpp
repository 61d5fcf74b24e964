// Shared pieces of the picture codecs: detection, the size guard and the
// conversion to 24 bits.
#include <atomic>
#include <cstring>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"

namespace mivo {

namespace {
std::atomic<uint64_t> g_max_pixels{uint64_t(kMaxSurfaceSide) * kMaxSurfaceSide};
}

void SetPictureSizeLimit(uint64_t max_pixels) { g_max_pixels = max_pixels; }

void CheckPictureSize(int64_t width, int64_t height, const std::string& name) {
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        uint64_t(width) * uint64_t(height) > g_max_pixels)
        throw FormatError(name + ": picture size " + std::to_string(width) + "x" + std::to_string(height) +
                          " out of range");
}

PictureKind DetectPicture(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (size >= 4 && std::memcmp(p, "Vusk", 4) == 0) return PictureKind::LayeredImage;
    if (size >= 2 && p[0] == 'B' && p[1] == 'M') return PictureKind::Bmp;
    if (size >= 4 && std::memcmp(p + 1, "PNG", 3) == 0) return PictureKind::Png;
    if (size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

TDIBSurface ConvertTo24(const TDIBSurface& src) {
    if (src.BitCount() == 24) return src;
    TDIBSurface out(src.Width(), src.Height(), 24);
    const PixelFormat& f = src.Format();
    for (int32_t y = 0; y < src.Height(); ++y) {
        const uint8_t* s = src.Row(y);
        uint8_t* d = out.Row(y);
        for (int32_t x = 0; x < src.Width(); ++x) {
            const uint32_t rgb = uint32_t(PixelToColor(f, LoadPixel(s, x, f.stored_bit_count), src.Palette().data(),
                                                       src.PaletteSize()));
            d[3 * x] = uint8_t(rgb >> 16);
            d[3 * x + 1] = uint8_t(rgb >> 8);
            d[3 * x + 2] = uint8_t(rgb);
        }
    }
    return out;
}

}  // namespace mivo
