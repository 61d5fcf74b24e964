#include "data/pictures.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"

namespace mivo {

TVuskFrameList LoadPictureFrames(const void* data, size_t size, const std::string& name, int32_t ident,
                                 const VuskLoadOptions& options) {
    TVuskFrameList list(ident);
    DecodedPicture pic;
    switch (DetectPicture(data, size)) {
        case PictureKind::LayeredImage: list.LoadFromBytes(data, size, name, options); return list;
        case PictureKind::Bmp: pic = DecodeBmp(data, size, name); break;
        case PictureKind::Png: pic = DecodePng(data, size, name); break;
        case PictureKind::Jpeg: pic = DecodeJpeg(data, size, name); break;
        case PictureKind::Unknown: throw FormatError(name + ": not a picture of a known kind");
    }
    TVuskFrame& f = list.AddFrame();
    f.picture = std::move(pic.pixels);
    f.alpha = std::move(pic.alpha);
    return list;
}

void CopyFrameToSurface(const TVuskFrame& frame, TCustomDIBX& surface, TDIBX* alpha) {
    const TDIBSurface& pic = frame.picture;
    const int bits = surface.GetBitCount();
    surface.SetSize(pic.Width(), pic.Height(), bits);
    const PixelFormat to = surface.Format();
    const PixelFormat& from = pic.Format();
    const bool same = from.bit_count == to.bit_count && to.bit_count <= 8;
    if (to.bit_count <= 8 && !same) throw Error("pictures go onto palette surfaces of their own bit count only");
    if (same) surface.SetPaletteEntries(pic.Palette().data(), 0, pic.PaletteSize());
    for (int32_t y = 0; y < pic.Height(); ++y) {
        const uint8_t* s = pic.Row(y);
        for (int32_t x = 0; x < pic.Width(); ++x) {
            const uint32_t v = LoadPixel(s, x, from.stored_bit_count);
            if (same) {
                surface.SetPixel(x, y, v);
            } else if (from.bit_count >= 24 && to.bit_count >= 24) {
                surface.SetPixel(x, y, v & 0x00FFFFFF);
            } else {
                const int32_t rgb = PixelToColor(from, v, pic.Palette().data(), pic.PaletteSize());
                surface.SetPixel(x, y, uint32_t(ColorToPixel(to, rgb)));
            }
        }
    }
    if (alpha) {
        if (frame.alpha) {
            alpha->SetSize(pic.Width(), pic.Height(), 8);
            for (int32_t y = 0; y < pic.Height(); ++y)
                std::memcpy(alpha->Lock(0, y), frame.alpha->Row(y), size_t(pic.Width()));
        } else {
            alpha->Clear();
        }
    }
    surface.TransparentColor = frame.transparent_rgb == -1 ? -1 : surface.ColorToPixel(frame.transparent_rgb);
    surface.Regions1 = frame.regions1;
    surface.Regions2 = frame.regions2;
}

bool LoadPicture(TCustomDIBX& surface, const void* data, size_t size, const std::string& name, int32_t ident,
                 TDIBX* alpha, int frame) {
    if (DetectPicture(data, size) == PictureKind::Unknown) return false;
    VuskLoadOptions options;
    options.first_frame_only = frame == 0;
    const TVuskFrameList list = LoadPictureFrames(data, size, name, ident, options);
    CopyFrameToSurface(list.GetFrame(frame), surface, alpha);
    return true;
}

bool LoadFromStream(TCustomDIBX& surface, TStream& stream, int32_t ident, TDIBX* alpha) {
    const int64_t size = stream.Size() - stream.Seek(0, SeekOrigin::Current);
    if (size <= 0) return false;
    if (uint64_t(size) > kMaxSurfaceBytes) throw FormatError("picture stream too large");
    std::string bytes(size_t(size), '\0');
    if (stream.Read(bytes.data(), size) != size) throw FormatError("picture stream ended early");
    return LoadPicture(surface, bytes.data(), bytes.size(), "picture stream", ident, alpha);
}

namespace {

bool IsBmpName(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".bmp";
}

}  // namespace

bool LoadFromFile(TCustomDIBX& surface, const std::string& path) {
    if (!IsBmpName(path)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LoadPicture(surface, bytes.data(), bytes.size(), path);
}

TDIBSurface SurfacePixels(TCustomDIBX& surface) {
    TDIBSurface out(surface.GetWidth(), surface.GetHeight(), surface.GetBitCount());
    surface.GetPaletteEntries(out.Palette().data(), 0, out.PaletteSize());
    for (int32_t y = 0; y < out.Height(); ++y)
        for (int32_t x = 0; x < out.Width(); ++x) out.SetPixel(x, y, surface.GetPixel(x, y));
    return out;
}

bool SaveToFile(TCustomDIBX& surface, const std::string& path) {
    if (!IsBmpName(path)) return false;
    const std::string bytes = EncodeBmp24(SurfacePixels(surface));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw Error(path + ": cannot write the bitmap");
    return true;
}

}  // namespace mivo
