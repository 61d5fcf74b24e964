// BMP pictures: core and info headers, 1/4/8-bit palettes, 16/32-bit with
// or without bit fields, 24 bits, RLE4 and RLE8, bottom-up and top-down; and
// the 24-bit writer.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "data/picture_codecs.hpp"

namespace mivo {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

struct Field {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Field(uint32_t m = 0) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? m >> shift : 0) {}
    uint8_t Get(uint32_t v) const {
        if (!mask) return 0;
        return uint8_t((uint64_t((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

// Decodes RLE data into one index per pixel (rows bottom-up as stored).
void DecodeRle(ByteReader& r, bool four_bit, int32_t w, int32_t h, std::vector<uint8_t>& idx) {
    int64_t x = 0, y = 0;
    auto put = [&](uint8_t v) {
        if (x < w && y < h) idx[size_t(y) * size_t(w) + size_t(x)] = v;
        ++x;
    };
    while (!r.AtEnd() && y < h) {
        const uint8_t n = r.U8(), v = r.U8();
        if (n > 0) {
            for (int i = 0; i < n; ++i) put(four_bit ? uint8_t((i & 1) ? (v & 0x0F) : (v >> 4)) : v);
        } else if (v == 0) {
            x = 0, ++y;
        } else if (v == 1) {
            return;
        } else if (v == 2) {
            x += r.U8();
            y += r.U8();
        } else {
            const size_t bytes = four_bit ? (size_t(v) + 1) / 2 : v;
            const uint8_t* p = r.Here();
            r.Skip(bytes);
            for (int i = 0; i < v; ++i) put(four_bit ? uint8_t((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
            if (bytes & 1) r.Skip(1);
        }
    }
}

}  // namespace

DecodedPicture DecodeBmp(const void* data, size_t size, const std::string& name) {
    ByteReader r(data, size, name);
    if (r.U8() != 'B' || r.U8() != 'M') r.Fail("not a bitmap (no \"BM\")");
    r.Skip(8);
    const uint32_t off_bits = r.U32();
    const uint32_t header_size = r.U32();
    int64_t w, h;
    int bits;
    uint32_t compression = kRgb, colours_used = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool core = header_size == 12;
    if (core) {
        w = r.U16();
        h = r.U16();
        r.U16();
        bits = r.U16();
    } else {
        if (header_size < 40 || header_size > 1024) r.Fail("unknown bitmap header size " + std::to_string(header_size));
        w = r.I32();
        h = r.I32();
        r.U16();
        bits = r.U16();
        compression = r.U32();
        r.Skip(12);
        colours_used = r.U32();
        r.Skip(4);
        if (header_size >= 52) {
            for (int i = 0; i < (header_size >= 56 ? 4 : 3); ++i) masks[i] = r.U32();
            r.Seek(14 + header_size);
        } else {
            r.Seek(14 + header_size);
            if (compression == kBitFields)
                for (int i = 0; i < 3; ++i) masks[i] = r.U32();
        }
    }
    const bool top_down = h < 0;
    if (top_down) h = -h;
    CheckPictureSize(w, h, name);
    const bool ok_bits = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!ok_bits) r.Fail("unsupported bit count " + std::to_string(bits));
    if ((compression == kRle8 && bits != 8) || (compression == kRle4 && bits != 4) ||
        (compression == kBitFields && bits != 16 && bits != 32) || compression > kBitFields)
        r.Fail("unsupported compression " + std::to_string(compression) + " for " + std::to_string(bits) + " bits");

    uint32_t palette[256] = {};
    if (bits <= 8) {
        const size_t entry = core ? 3 : 4;
        size_t count = colours_used ? colours_used : (1u << bits);
        count = std::min<size_t>({count, size_t(256), r.Remaining() / entry});
        for (size_t i = 0; i < count; ++i) {
            const uint8_t b = r.U8(), g = r.U8(), rr = r.U8();
            if (!core) r.U8();
            palette[i] = uint32_t(b) | uint32_t(g) << 8 | uint32_t(rr) << 16;
        }
    }
    if (off_bits > size) r.Fail("pixel data offset beyond the end");
    r.Seek(off_bits ? off_bits : r.Offset());

    const int32_t wi = int32_t(w), hi = int32_t(h);
    DecodedPicture out;
    out.pixels.SetSize(wi, hi, 24);
    auto row_of = [&](int32_t stored_row) { return out.pixels.Row(top_down ? stored_row : hi - 1 - stored_row); };

    if (compression == kRle8 || compression == kRle4) {
        std::vector<uint8_t> idx(size_t(wi) * size_t(hi), 0);
        ByteReader rle(r.Here(), r.Remaining(), name);
        DecodeRle(rle, compression == kRle4, wi, hi, idx);
        for (int32_t y = 0; y < hi; ++y) {
            uint8_t* d = row_of(y);
            for (int32_t x = 0; x < wi; ++x) {
                const uint32_t c = palette[idx[size_t(y) * size_t(wi) + size_t(x)]];
                d[3 * x] = uint8_t(c), d[3 * x + 1] = uint8_t(c >> 8), d[3 * x + 2] = uint8_t(c >> 16);
            }
        }
        return out;
    }

    const uint64_t row_size = DibRowSize(w, bits);
    if (row_size * uint64_t(h) > r.Remaining()) r.Fail("pixel data truncated");
    if (compression != kBitFields) {
        if (bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    const Field fr(masks[0]), fg(masks[1]), fb(masks[2]);
    // A plain 32-bit bitmap carries alpha in its fourth byte only when some
    // pixel uses it; an all-zero fourth byte means an opaque picture.
    const Field fa(bits == 32 ? (compression == kBitFields ? masks[3] : 0xFF000000u) : 0u);
    bool any_alpha = false;
    std::vector<uint8_t> alpha;
    if (fa.mask) alpha.assign(size_t(wi) * size_t(hi), 0);
    const uint8_t* base = r.Here();
    for (int32_t y = 0; y < hi; ++y) {
        const uint8_t* s = base + size_t(y) * row_size;
        uint8_t* d = row_of(y);
        const int32_t ay = top_down ? y : hi - 1 - y;
        for (int32_t x = 0; x < wi; ++x) {
            uint32_t c;
            if (bits <= 8) {
                c = palette[LoadPixel(s, x, bits)];
            } else if (bits == 24) {
                c = uint32_t(s[3 * x]) | uint32_t(s[3 * x + 1]) << 8 | uint32_t(s[3 * x + 2]) << 16;
            } else {
                const uint32_t v = LoadPixel(s, x, bits);
                c = uint32_t(fb.Get(v)) | uint32_t(fg.Get(v)) << 8 | uint32_t(fr.Get(v)) << 16;
                if (fa.mask) {
                    const uint8_t a = fa.Get(v);
                    alpha[size_t(ay) * size_t(wi) + size_t(x)] = a;
                    any_alpha |= a != 0;
                }
            }
            d[3 * x] = uint8_t(c), d[3 * x + 1] = uint8_t(c >> 8), d[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    if (any_alpha) {
        out.alpha.emplace(wi, hi, 8);
        for (int32_t y = 0; y < hi; ++y) std::memcpy(out.alpha->Row(y), alpha.data() + size_t(y) * size_t(wi), size_t(wi));
    }
    return out;
}

std::string EncodeBmp24(const TDIBSurface& pixels) {
    const TDIBSurface src = ConvertTo24(pixels);
    const uint32_t row = uint32_t(DibRowSize(src.Width(), 24));
    const uint32_t image = row * uint32_t(src.Height());
    std::string out;
    out += "BM";
    PutI32(out, int32_t(54 + image));
    PutI32(out, 0);
    PutI32(out, 54);
    PutI32(out, 40);
    PutI32(out, src.Width());
    PutI32(out, src.Height());
    PutU8(out, 1), PutU8(out, 0), PutU8(out, 24), PutU8(out, 0);
    PutI32(out, 0);
    PutI32(out, int32_t(image));
    PutI32(out, 2835), PutI32(out, 2835), PutI32(out, 0), PutI32(out, 0);
    for (int32_t y = src.Height() - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char*>(src.Row(y)), row);
    return out;
}

}  // namespace mivo
