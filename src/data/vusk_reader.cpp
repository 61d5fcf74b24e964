// Reading layered images: signature and header of every version, frames,
// layers, planes in rows or blocks, the protected order, region lists.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "core/tprandom.hpp"
#include "data/picture_codecs.hpp"
#include "data/vuskframes.hpp"

namespace mivo {

std::vector<uint32_t> VuskPermutation(uint32_t n, uint32_t seed) {
    // A Fenwick tree over the remaining indices finds "position k of what is
    // left" in log n steps.
    std::vector<uint32_t> tree(size_t(n) + 1, 0);
    for (uint32_t i = 1; i <= n; ++i) {
        tree[i] += 1;
        const uint32_t j = i + (i & (~i + 1));
        if (j <= n) tree[j] += tree[i];
    }
    uint32_t top = 1;
    while (top * 2 <= n) top *= 2;
    std::vector<uint32_t> out;
    out.reserve(n);
    TTpRandom rng(seed, 0);
    for (uint32_t left = n; left > 0; --left) {
        uint32_t k = rng.Next() % left;  // 0-based position among the remaining
        uint32_t pos = 0;
        for (uint32_t step = top; step; step >>= 1)
            if (pos + step <= n && tree[pos + step] <= k) {
                pos += step;
                k -= tree[pos];
            }
        out.push_back(pos);  // index pos (0-based) is the (k+1)-th remaining
        for (uint32_t i = pos + 1; i <= n; i += i & (~i + 1)) tree[i] -= 1;
    }
    return out;
}

TVuskFrame& TVuskFrameList::GetFrame(int index) {
    if (index < 0 || index >= Count()) throw Error("Error:TVuskFrameList.GetFrame");
    return *frames_[size_t(index)];
}

const TVuskFrame& TVuskFrameList::GetFrame(int index) const {
    if (index < 0 || index >= Count()) throw Error("Error:TVuskFrameList.GetFrame");
    return *frames_[size_t(index)];
}

TVuskFrame& TVuskFrameList::AddFrame() {
    frames_.push_back(std::make_unique<TVuskFrame>());
    return *frames_.back();
}

void TVuskFrameList::LoadFromStream(TStream& stream, const std::string& name, const VuskLoadOptions& options) {
    const int64_t size = stream.Size() - stream.Seek(0, SeekOrigin::Current);
    if (size < 0 || uint64_t(size) > kMaxSurfaceBytes) throw FormatError(name + ": layered image too large");
    std::string bytes(size_t(size), '\0');
    if (stream.Read(bytes.data(), size) != size) throw FormatError(name + ": truncated layered image");
    LoadFromBytes(bytes.data(), bytes.size(), name, options);
}

class VuskReader {
public:
    VuskReader(TVuskFrameList& list, ByteReader& r, const VuskLoadOptions& options)
        : list_(list), r_(r), options_(options) {}

    void Read() {
        list_.frames_.clear();
        ReadHeader();
        const size_t count = r_.Count(frame_count_, 33, "frame count");
        for (size_t i = 0; i < count; ++i) {
            ReadFrame(int(i));
            if (options_.first_frame_only) break;
        }
    }

private:
    void ReadHeader() {
        const uint8_t* p = r_.Here();
        if (r_.Remaining() >= 4 && std::memcmp(p, "Vusk", 4) == 0) {
            r_.Skip(4);
            const std::string digits = r_.Bytes(3, "signature version");
            for (char c : digits)
                if (c < '0' || c > '9') r_.Fail("signature version is not three digits");
            list_.version_ = std::stoi(digits);
        }
        const int32_t sig = list_.version_;
        list_.contents_version_ = sig;
        list_.protected_ = false;
        list_.compression_ = kVuskZlib;
        list_.block_w_ = list_.block_h_ = 0;
        list_.BackgroundColor = 0;
        list_.FirstLayerOpaque = false;
        if (sig < 103) {
            frame_count_ = r_.I32();
            r_.U8();
            if (sig == 102) list_.BackgroundColor = r_.I32();
            return;
        }
        const int32_t n = r_.I32();
        if (n < 0) r_.Fail("negative header size");
        uint8_t rec[40] = {};
        const size_t keep = std::min<size_t>(size_t(n), 40);
        std::memcpy(rec, r_.Here(), std::min(keep, r_.Remaining()));
        r_.Skip(size_t(n));
        ByteReader h(rec, sizeof rec, r_.Source() + " header");
        list_.contents_version_ = h.I32();
        h.Skip(12);  // size and bit count of the first frame: each frame says its own
        frame_count_ = h.I32();
        h.U8();
        list_.protected_ = h.U8() != 0;
        list_.compression_ = h.U8();
        h.U8();
        list_.BackgroundColor = h.I32();
        list_.block_w_ = h.I32();
        list_.block_h_ = h.I32();
        const uint8_t opaque = h.U8();
        if (sig >= 105) list_.FirstLayerOpaque = opaque != 0;
        list_.jpeg_quality_ = h.U8();
        if (list_.compression_ > kVuskJpeg)
            r_.Fail("unknown compression kind " + std::to_string(list_.compression_));
        if (list_.block_w_ < 0 || list_.block_h_ < 0) r_.Fail("negative block size");
    }

    int32_t Version() const { return list_.contents_version_; }
    bool Blocked() const { return Version() >= 103 && list_.block_w_ > 0 && list_.block_h_ > 0; }

    void ReadFrame(int index) {
        auto frame = std::make_unique<TVuskFrame>();
        TVuskFrame& f = *frame;
        f.name = r_.Str();
        f.transparent_color = r_.I32();
        f.display_time = r_.I32();
        f.flags = r_.U8();
        r_.I32();
        const int32_t layer_count = r_.I32();
        const int32_t w = r_.I32(), h = r_.I32(), bits = r_.I32();
        if (!IsValidBitCount(bits)) r_.Fail("frame bit count " + std::to_string(bits) + " is not a pixel format");
        if (w < 0 || h < 0) r_.Fail("negative frame size");
        if (w > 0 && h > 0) CheckPictureSize(w, h, r_.Source());
        const size_t layers = r_.Count(layer_count, 25, "layer count");
        f.picture.SetSize(w, h, bits);
        if (bits <= 8)
            for (int i = 0; i < (1 << bits); ++i) f.picture.Palette()[size_t(i)] = r_.U32();
        if (f.transparent_color != -1)
            f.transparent_rgb = PixelToColor(f.picture.Format(), uint32_t(f.transparent_color),
                                             f.picture.Palette().data(), f.picture.PaletteSize());
        for (size_t i = 0; i < layers; ++i) f.layers.push_back(ReadLayer(f, index));
        if (Version() >= 104) {
            f.regions1 = ReadRegions();
            f.regions2 = ReadRegions();
        }
        ComposeFrame(f, list_.BackgroundColor, list_.FirstLayerOpaque);
        if (options_.convert) {
            if (f.transparent_color != -1) MakeAlphaFromTransparent(f, false);
            if (list_.TargetBitCount > 0) ReduceFrameColours(f, list_.TargetBitCount, options_.keep_layer_palettes);
            else if (f.picture.BitCount() <= 8) ConvertFrameTo24(f, options_.keep_layer_palettes);
        }
        list_.frames_.push_back(std::move(frame));
    }

    RegionList ReadRegions() {
        const int32_t c = r_.I32();
        if (c < 0) return std::nullopt;
        std::vector<TRect> rects(r_.Count(c, 16, "region count"));
        for (TRect& t : rects) {
            t.left = r_.I32();
            t.top = r_.I32();
            t.right = r_.I32();
            t.bottom = r_.I32();
        }
        return rects;
    }

    std::unique_ptr<TVuskLayer> ReadLayer(const TVuskFrame& f, int frame_index) {
        auto layer = std::make_unique<TVuskLayer>();
        TVuskLayer& l = *layer;
        r_.I32();
        r_.I32();
        l.visible = r_.U8() != 0;
        l.transparent_color = r_.I32();
        l.opacity = r_.I32();
        if (Version() >= 101) l.alpha_flag = r_.U8() != 0;
        l.name = r_.Str();
        l.picture.SetSize(f.picture.Width(), f.picture.Height(), f.picture.BitCount());
        l.picture.Palette() = f.picture.Palette();
        const size_t colour_size = r_.Count(r_.I32(), 1, "colour plane size");
        const uint8_t* colour = r_.Here();
        r_.Skip(colour_size);
        DecodePlane(colour, colour_size, false, frame_index, l.picture);
        if (Version() >= 100) {
            const size_t alpha_size = r_.Count(r_.I32(), 1, "alpha plane size");
            if (alpha_size > 0) {
                const uint8_t* a = r_.Here();
                r_.Skip(alpha_size);
                l.alpha.emplace(f.picture.Width(), f.picture.Height(), 8);
                DecodePlane(a, alpha_size, true, frame_index, *l.alpha);
            }
        }
        if (l.alpha && l.alpha_flag) l.transparent_color = -1;
        return layer;
    }

    // zlib data inflated completely, but never beyond `limit` bytes.
    std::string Inflate(const uint8_t* data, size_t size, uint64_t limit) {
        z_stream z{};
        if (inflateInit(&z) != Z_OK) r_.Fail("zlib unavailable");
        std::string out;
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = uInt(std::min<size_t>(size, UINT32_MAX));
        char buf[65536];
        int rc;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) {
                inflateEnd(&z);
                r_.Fail("damaged zlib plane");
            }
            out.append(buf, sizeof buf - z.avail_out);
            if (out.size() > limit) {
                inflateEnd(&z);
                r_.Fail("plane larger than its picture");
            }
            if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) {
                inflateEnd(&z);
                r_.Fail("truncated zlib plane");
            }
        } while (rc != Z_STREAM_END);
        inflateEnd(&z);
        return out;
    }

    void DecodePlane(const uint8_t* data, size_t size, bool is_alpha, int frame_index, TDIBSurface& target) {
        const int kind = Version() >= 103 ? list_.compression_ : kVuskZlib;
        if (kind == kVuskJpeg && !is_alpha) return DecodeJpegPlane(data, size, target);
        if (target.IsEmpty()) return;
        const int bits = target.Format().stored_bit_count;
        const uint64_t rows_bytes = uint64_t(target.RowSize()) * uint64_t(target.Height());
        uint64_t limit = rows_bytes;
        if (Blocked()) {
            const uint64_t n = BlockCols(target) * BlockRows(target);
            limit = n * 8 + (uint64_t(target.Width()) * bits / 8 + uint64_t(BlockCols(target))) * target.Height();
        }
        std::string inflated;
        const uint8_t* p = data;
        size_t n = size;
        if (kind != kVuskRaw) {
            inflated = Inflate(data, size, limit);
            p = reinterpret_cast<const uint8_t*>(inflated.data());
            n = inflated.size();
        }
        ByteReader plane(p, n, r_.Source() + (is_alpha ? " alpha plane" : " colour plane"));
        if (Blocked() && !(is_alpha && kind == kVuskJpeg)) DecodeBlocks(plane, is_alpha, frame_index, target);
        else DecodeRows(plane, kind, target);
    }

    void DecodeRows(ByteReader& plane, int kind, TDIBSurface& target) {
        const size_t row = target.RowSize();
        const uint32_t h = uint32_t(target.Height());
        if (uint64_t(row) * h > plane.Remaining()) plane.Fail("fewer rows than the picture has");
        const bool permuted = Version() >= 103 && list_.protected_ && kind != kVuskJpeg;
        const std::vector<uint32_t> order = VuskPermutation(h, permuted ? uint32_t(list_.ident_) : 0);
        for (uint32_t i = 0; i < h; ++i) std::memcpy(target.Row(int32_t(order[i])), plane.Here() + size_t(i) * row, row);
    }

    uint64_t BlockCols(const TDIBSurface& t) const { return (uint64_t(t.Width()) + list_.block_w_ - 1) / list_.block_w_; }
    uint64_t BlockRows(const TDIBSurface& t) const { return (uint64_t(t.Height()) + list_.block_h_ - 1) / list_.block_h_; }

    void DecodeBlocks(ByteReader& plane, bool is_alpha, int frame_index, TDIBSurface& target) {
        const int bits = target.Format().stored_bit_count;
        const int64_t bw = list_.block_w_, bh = list_.block_h_;
        if (bits < 8 && (bw * bits) % 8 != 0) plane.Fail("blocks not byte-aligned for this bit count");
        const uint64_t cols = BlockCols(target), rows = BlockRows(target);
        const size_t n = plane.Count(int64_t(cols * rows), 8, "block table");
        std::vector<std::pair<int32_t, int32_t>> table(n);
        const std::vector<uint32_t> order =
            list_.protected_ ? VuskPermutation(uint32_t(n), uint32_t(list_.ident_)) : VuskPermutation(uint32_t(n), 0);
        for (size_t i = 0; i < n; ++i) {
            const int32_t kind = plane.I32(), value = plane.I32();
            table[order[i]] = {kind, value};
        }
        for (size_t b = 0; b < n; ++b) {
            const int64_t x0 = int64_t(b % cols) * bw, y0 = int64_t(b / cols) * bh;
            const int64_t w = std::min<int64_t>(bw, target.Width() - x0), h = std::min<int64_t>(bh, target.Height() - y0);
            const size_t row_bytes = size_t((w * bits + 7) / 8);
            const size_t x_byte = size_t(x0 * bits / 8);
            const auto [kind, value] = table[b];
            if (kind == -1) {
                for (int64_t y = 0; y < h; ++y) {
                    const uint8_t* s = plane.Here();
                    plane.Skip(row_bytes);
                    std::memcpy(target.Row(int32_t(y0 + y)) + x_byte, s, row_bytes);
                }
            } else if (kind == -2) {
                if (value < 0 || size_t(value) >= b) plane.Fail("block copies a block that is not earlier");
                const int64_t sx = int64_t(uint64_t(value) % cols) * bw, sy = int64_t(uint64_t(value) / cols) * bh;
                CopyArea(target, sx, sy, target, x0, y0, w, h, bits, plane);
            } else if (kind >= 0) {
                // Only frames read before this one can be copied from.
                if (kind >= frame_index) throw Error("Error:TVuskFrameList.GetFrame");
                const TVuskFrame& other = list_.GetFrame(kind);
                if (value < 0 || size_t(value) >= other.layers.size()) throw Error("Error:TVuskFrameList.GetFrame");
                const TVuskLayer& l = *other.layers[size_t(value)];
                const TDIBSurface* src = is_alpha ? (l.alpha ? &*l.alpha : nullptr) : &l.picture;
                if (!src || src->Format().stored_bit_count != bits) plane.Fail("block copies a plane of another kind");
                CopyArea(*src, x0, y0, target, x0, y0, w, h, bits, plane);
            } else {
                plane.Fail("unknown block kind " + std::to_string(kind));
            }
        }
    }

    // Copies a w × h pixel area between planes of the same format, checked
    // against both.
    static void CopyArea(const TDIBSurface& src, int64_t sx, int64_t sy, TDIBSurface& dst, int64_t dx, int64_t dy,
                         int64_t w, int64_t h, int bits, ByteReader& plane) {
        if (sx + w > src.Width() || sy + h > src.Height() || dx + w > dst.Width() || dy + h > dst.Height())
            plane.Fail("block copy outside its plane");
        const size_t bytes = size_t((w * bits + 7) / 8);
        for (int64_t y = 0; y < h; ++y)
            std::memmove(dst.Row(int32_t(dy + y)) + size_t(dx * bits / 8), src.Row(int32_t(sy + y)) + size_t(sx * bits / 8),
                         bytes);
    }

    void DecodeJpegPlane(const uint8_t* data, size_t size, TDIBSurface& target) {
        if (target.IsEmpty()) return;
        DecodedPicture pic = DecodeJpeg(data, size, r_.Source() + " JPEG plane");
        if (pic.pixels.Width() != target.Width() || pic.pixels.Height() != target.Height())
            r_.Fail("JPEG plane size differs from its frame");
        if (target.BitCount() < 15) r_.Fail("JPEG plane in a palette picture");
        const PixelFormat& f = target.Format();
        for (int32_t y = 0; y < target.Height(); ++y) {
            const uint8_t* s = pic.pixels.Row(y);
            for (int32_t x = 0; x < target.Width(); ++x) {
                const int32_t rgb = int32_t(s[3 * x + 2]) | int32_t(s[3 * x + 1]) << 8 | int32_t(s[3 * x]) << 16;
                target.SetPixel(x, y, uint32_t(ColorToPixel(f, rgb)));
            }
        }
    }

    TVuskFrameList& list_;
    ByteReader& r_;
    const VuskLoadOptions& options_;
    int32_t frame_count_ = 0;
};

void TVuskFrameList::LoadFromBytes(const void* data, size_t size, const std::string& name,
                                   const VuskLoadOptions& options) {
    ByteReader r(data, size, name);
    version_ = 0;
    try {
        VuskReader(*this, r, options).Read();
    } catch (...) {
        frames_.clear();
        throw;
    }
}

}  // namespace mivo
