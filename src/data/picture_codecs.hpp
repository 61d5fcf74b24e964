#pragma once
// Decoders and encoders of the picture files a game holds beside its layered
// images: BMP (every bit count, RLE), PNG and JPEG. A decoded picture is a
// 24-bit bitmap (8-bit for grey PNG output never occurs: everything becomes
// blue, green, red bytes) with an optional 8-bit alpha plane (255 opaque).
// Every decoder checks the size against the surface caps before it
// allocates and names the file in its errors.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "graphics/dibsurface.hpp"

namespace mivo {

struct DecodedPicture {
    TDIBSurface pixels;                // 24 bits
    std::optional<TDIBSurface> alpha;  // 8 bits, same size
};

DecodedPicture DecodeBmp(const void* data, size_t size, const std::string& name);
DecodedPicture DecodePng(const void* data, size_t size, const std::string& name);
DecodedPicture DecodeJpeg(const void* data, size_t size, const std::string& name);

// A 24-bit bitmap (".bmp") of a 24-bit surface.
std::string EncodeBmp24(const TDIBSurface& rgb24);
// PNG of a 24-bit surface, with the alpha plane when given (8-bit surfaces
// become grey PNG files). The output is deterministic.
std::string EncodePng(const TDIBSurface& pixels, const TDIBSurface* alpha = nullptr);
// Baseline JPEG of a 24-bit surface at the given quality (1..100).
std::string EncodeJpeg(const TDIBSurface& rgb24, int quality);

// Any surface format to 24 bits (palette formats through their palette).
TDIBSurface ConvertTo24(const TDIBSurface& src);

// Largest picture the decoders accept, in pixels (besides the surface caps);
// fuzzing lowers it. Throws a FormatError naming the file when exceeded.
void SetPictureSizeLimit(uint64_t max_pixels);
void CheckPictureSize(int64_t width, int64_t height, const std::string& name);

enum class PictureKind { Unknown, LayeredImage, Bmp, Png, Jpeg };
// By the first bytes: "Vusk" at 0, "BM" at 0, "PNG" at 1, FF D8 FF at 0.
PictureKind DetectPicture(const void* data, size_t size);

}  // namespace mivo
