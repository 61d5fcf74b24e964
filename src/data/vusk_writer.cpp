// Writing layered images ("Vusk106"): the header record, frames, layers and
// planes as rows, zlib, raw or JPEG, optionally in the protected order.
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "data/picture_codecs.hpp"
#include "data/vuskframes.hpp"

namespace mivo {

namespace {

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw Error("zlib compression failed");
    out.resize(size);
    return out;
}

struct PlaneWriter {
    int kind;
    bool protect;
    uint32_t ident;
    int quality;

    std::string Rows(const TDIBSurface& s) const {
        const uint32_t h = uint32_t(s.Height());
        const std::vector<uint32_t> order = VuskPermutation(h, protect ? ident : 0);
        std::string raw;
        raw.reserve(s.RowSize() * h);
        for (uint32_t i = 0; i < h; ++i) raw.append(reinterpret_cast<const char*>(s.Row(int32_t(order[i]))), s.RowSize());
        return raw;
    }
    std::string Colour(const TDIBSurface& s) const {
        if (kind == kVuskJpeg) {
            if (s.BitCount() < 15) throw Error("JPEG planes need pictures of 15 bits or more");
            return EncodeJpeg(s, quality);
        }
        return kind == kVuskRaw ? Rows(s) : Deflate(Rows(s));
    }
    std::string Alpha(const TDIBSurface& a) const { return kind == kVuskRaw ? Rows(a) : Deflate(Rows(a)); }
};

void PutPlane(std::string& out, const std::string& plane) {
    PutI32(out, int32_t(plane.size()));
    out += plane;
}

void PutRegions(std::string& out, const RegionList& list) {
    if (!list) {
        PutI32(out, -1);
        return;
    }
    PutI32(out, int32_t(list->size()));
    for (const TRect& r : *list) {
        PutI32(out, r.left);
        PutI32(out, r.top);
        PutI32(out, r.right);
        PutI32(out, r.bottom);
    }
}

void PutPalette(std::string& out, const TDIBSurface& s) {
    for (int i = 0; i < s.PaletteSize(); ++i) PutI32(out, int32_t(s.Palette()[size_t(i)]));
}

void PutLayer(std::string& out, const PlaneWriter& pw, const std::string& name, bool visible, int32_t transparent,
              int32_t opacity, bool alpha_flag, const TDIBSurface& picture, const std::optional<TDIBSurface>& alpha) {
    PutI32(out, 0);
    PutI32(out, 0);
    PutU8(out, visible ? 1 : 0);
    PutI32(out, transparent);
    PutI32(out, opacity);
    PutU8(out, alpha_flag ? 1 : 0);
    PutStr(out, name);
    PutPlane(out, pw.Colour(picture));
    PutPlane(out, alpha ? pw.Alpha(*alpha) : std::string());
}

}  // namespace

std::string TVuskFrameList::SaveToBytes(const VuskSaveOptions& options) const {
    const bool protect = options.protect.value_or(ident_ != 0);
    if (protect && ident_ == 0) throw Error("識別コードを設定してください");
    if (options.compression < kVuskZlib || options.compression > kVuskJpeg)
        throw Error("unknown compression kind " + std::to_string(options.compression));
    // Protected planes are stored raw: their rows are reordered, and JPEG
    // data cannot be.
    const PlaneWriter pw{protect ? int(kVuskRaw) : options.compression, protect, uint32_t(ident_), options.jpeg_quality};

    std::string out = "Vusk106";
    PutI32(out, 40);
    const TDIBSurface* first = nullptr;
    if (!frames_.empty()) {
        const TVuskFrame& f = *frames_[0];
        first = f.layers.empty() ? &f.picture : &f.layers[0]->picture;
    }
    PutI32(out, 106);
    PutI32(out, first ? first->Width() : 0);
    PutI32(out, first ? first->Height() : 0);
    PutI32(out, first ? first->BitCount() : 0);
    PutI32(out, int32_t(frames_.size()));
    PutU8(out, 1);
    PutU8(out, protect ? 1 : 0);
    PutU8(out, uint8_t(pw.kind));
    PutU8(out, 0);
    PutI32(out, BackgroundColor);
    PutI32(out, 0);
    PutI32(out, 0);
    PutU8(out, FirstLayerOpaque ? 1 : 0);
    PutU8(out, uint8_t(options.jpeg_quality));
    PutU8(out, 0);
    PutU8(out, 0);

    for (const auto& fp : frames_) {
        const TVuskFrame& f = *fp;
        PutStr(out, f.name);
        // The stored (native) form, which is what a reader takes it for.
        PutI32(out, f.transparent_color);
        PutI32(out, f.display_time);
        PutU8(out, f.flags);
        PutI32(out, 0);
        if (f.layers.empty()) {
            PutI32(out, 1);
            PutI32(out, f.picture.Width());
            PutI32(out, f.picture.Height());
            PutI32(out, f.picture.BitCount());
            PutPalette(out, f.picture);
            PutLayer(out, pw, "Layer", true, -1, 255, f.alpha.has_value(), f.picture, f.alpha);
        } else {
            const TDIBSurface& l0 = f.layers[0]->picture;
            PutI32(out, int32_t(f.layers.size()));
            PutI32(out, l0.Width());
            PutI32(out, l0.Height());
            PutI32(out, l0.BitCount());
            PutPalette(out, l0);
            for (const auto& l : f.layers) {
                if (l->picture.Width() != l0.Width() || l->picture.Height() != l0.Height() ||
                    l->picture.BitCount() != l0.BitCount())
                    throw Error("layer \"" + l->name + "\" differs in size or format from the frame's first layer");
                PutLayer(out, pw, l->name, l->visible, l->transparent_color, l->opacity, l->alpha_flag, l->picture,
                         l->alpha);
            }
        }
        PutRegions(out, f.regions1);
        PutRegions(out, f.regions2);
    }
    return out;
}

void TVuskFrameList::SaveToStream(TStream& stream, const VuskSaveOptions& options) const {
    const std::string bytes = SaveToBytes(options);
    if (stream.Write(bytes.data(), int64_t(bytes.size())) != int64_t(bytes.size()))
        throw Error("writing the layered image failed");
}

void TVuskFrameList::SaveToFile(const std::string& path, const VuskSaveOptions& options) const {
    const std::string bytes = SaveToBytes(options);
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) throw Error(path + ": cannot write the layered image");
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw Error(path + ": cannot replace the layered image");
    }
}

}  // namespace mivo
