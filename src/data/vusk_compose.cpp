// Composing a layered image's frame from its layers, and the conversions the
// image cache asks for (alpha from the transparent colour, palette frames
// to 24 bits, colours reduced for the screen).
#include <algorithm>
#include <cstring>

#include "data/colour_reduce.hpp"
#include "data/picture_codecs.hpp"
#include "data/vuskframes.hpp"

namespace mivo {

namespace {

// The 4 × 4 dot patterns of opacity levels 0..15 for palette pictures: bit
// (3 − column) of row r is set where the level draws.
constexpr uint8_t kDither[16][4] = {
    {0b1000, 0b0000, 0b0000, 0b0000}, {0b1000, 0b0000, 0b0010, 0b0000}, {0b1010, 0b0000, 0b0010, 0b0000},
    {0b1010, 0b0000, 0b1010, 0b0000}, {0b1010, 0b0100, 0b1010, 0b0000}, {0b1010, 0b0100, 0b1010, 0b0001},
    {0b1010, 0b0101, 0b1010, 0b0001}, {0b1010, 0b0101, 0b1010, 0b0101}, {0b1110, 0b0101, 0b1010, 0b0101},
    {0b1110, 0b0101, 0b1011, 0b0101}, {0b1111, 0b0101, 0b1011, 0b0101}, {0b1111, 0b0101, 0b1111, 0b0101},
    {0b1111, 0b1101, 0b1111, 0b0101}, {0b1111, 0b1101, 0b1111, 0b0111}, {0b1111, 0b1111, 0b1111, 0b0111},
    {0b1111, 0b1111, 0b1111, 0b1111},
};

uint32_t ValueBits(const TDIBSurface& s) {
    const PixelFormat& f = s.Format();
    return f.HasMasks() ? f.red_mask | f.green_mask | f.blue_mask : uint32_t((1u << f.bit_count) - 1);
}

// Per channel: (a × d + b × s) / div or >> 8 (div == 256).
uint32_t MixChannels(const PixelFormat& f, uint32_t d, uint32_t s, uint32_t weight, uint32_t div) {
    const uint32_t masks[3] = {f.red_mask, f.green_mask, f.blue_mask};
    uint32_t out = 0;
    for (uint32_t m : masks) {
        const int sh = MaskShift(m);
        const uint32_t cd = (d & m) >> sh, cs = (s & m) >> sh;
        const uint32_t v = (255 - weight) * cd + weight * cs;
        out |= ((div == 256 ? v >> 8 : v / div) << sh) & m;
    }
    return out;
}

// Layers are sized like their frame; an empty one (no pixel storage) copies nothing.
void CopyLayer(TDIBSurface& dst, const TDIBSurface& src) {
    const size_t n = std::min(dst.ByteSize(), src.ByteSize());
    if (n) std::memcpy(dst.Bits(), src.Bits(), n);
}

void DrawOpacity(TDIBSurface& dst, const TDIBSurface& src, int32_t opacity, int32_t transparent) {
    if (opacity <= 0) return;
    const PixelFormat& f = dst.Format();
    const uint32_t bits = ValueBits(dst);
    const bool palette = f.bit_count <= 8;
    const uint32_t o = uint32_t(std::min(opacity, 255));
    const bool copy = o == 255 || (palette && o >= 240);
    const int level = int(o / 16);
    // 15, 16 and 24 bits divide by 255; 32 bits shift by 8.
    const uint32_t div = f.bit_count == 32 ? 256 : 255;
    for (int32_t y = 0; y < dst.Height(); ++y) {
        const uint8_t* s = src.Row(y);
        uint8_t* d = dst.Row(y);
        for (int32_t x = 0; x < dst.Width(); ++x) {
            const uint32_t sp = LoadPixel(s, x, f.stored_bit_count);
            if (transparent != -1 && (sp & bits) == (uint32_t(transparent) & bits)) continue;
            if (!copy && palette && !((kDither[level][y & 3] >> (3 - (x & 3))) & 1)) continue;
            const uint32_t r =
                copy || palette ? sp : MixChannels(f, LoadPixel(d, x, f.stored_bit_count), sp, o, div);
            StorePixel(d, x, f.stored_bit_count, r);
        }
    }
}

void DrawAlphaPlane(TDIBSurface& dst, const TDIBSurface& src, const TDIBSurface& alpha) {
    const PixelFormat& f = dst.Format();
    for (int32_t y = 0; y < dst.Height(); ++y) {
        const uint8_t* s = src.Row(y);
        const uint8_t* a = alpha.Row(y);
        uint8_t* d = dst.Row(y);
        for (int32_t x = 0; x < dst.Width(); ++x) {
            const uint32_t m = a[x];
            const uint32_t sp = LoadPixel(s, x, f.stored_bit_count);
            if (f.bit_count <= 8) {
                if (m >= 128) StorePixel(d, x, f.stored_bit_count, sp);
                continue;
            }
            if (m == 0) continue;
            StorePixel(d, x, f.stored_bit_count,
                       m == 255 ? sp : MixChannels(f, LoadPixel(d, x, f.stored_bit_count), sp, m, 256));
        }
    }
}

}  // namespace

uint32_t NativeColour(const TDIBSurface& s, int32_t rgb) {
    const PixelFormat& f = s.Format();
    if (f.HasMasks()) return uint32_t(ColorToPixel(f, rgb & 0x00FFFFFF));
    int best = 0;
    int64_t best_d = INT64_MAX;
    for (int i = 0; i < s.PaletteSize(); ++i) {
        const uint32_t e = s.Palette()[size_t(i)];
        const int64_t dr = int64_t((e >> 16) & 0xFF) - (rgb & 0xFF), dg = int64_t((e >> 8) & 0xFF) - ((rgb >> 8) & 0xFF),
                      db = int64_t(e & 0xFF) - ((rgb >> 16) & 0xFF);
        const int64_t dist = dr * dr + dg * dg + db * db;
        if (dist < best_d) best_d = dist, best = i;
    }
    return uint32_t(best);
}

void ComposeFrame(TVuskFrame& frame, int32_t background_rgb, bool first_layer_opaque) {
    TDIBSurface& pic = frame.picture;
    const uint32_t bg = NativeColour(pic, background_rgb);
    for (int32_t y = 0; y < pic.Height(); ++y)
        for (int32_t x = 0; x < pic.Width(); ++x) pic.SetPixel(x, y, bg);
    bool first = true;
    for (size_t i = 0; i < frame.layers.size(); ++i) {
        const TVuskLayer& l = *frame.layers[i];
        if (!l.visible) continue;
        const bool alpha = l.alpha && l.alpha_flag;
        if (alpha && first) frame.alpha = *l.alpha;
        if (alpha && i > 0) DrawAlphaPlane(pic, l.picture, *l.alpha);
        else if ((l.transparent_color == -1 || (first && first_layer_opaque)) && l.opacity == 255) CopyLayer(pic, l.picture);
        else DrawOpacity(pic, l.picture, l.opacity, l.transparent_color);
        first = false;
    }
}

namespace {

TDIBSurface AlphaFromKey(const TDIBSurface& pic, int32_t key) {
    TDIBSurface a(pic.Width(), pic.Height(), 8);
    const uint32_t bits = ValueBits(pic);
    for (int32_t y = 0; y < pic.Height(); ++y)
        for (int32_t x = 0; x < pic.Width(); ++x)
            a.Row(y)[x] = key != -1 && (pic.GetPixel(x, y) & bits) == (uint32_t(key) & bits) ? 0 : 255;
    return a;
}

}  // namespace

void MakeAlphaFromTransparent(TVuskFrame& frame, bool layers_too) {
    if (!frame.alpha) frame.alpha = AlphaFromKey(frame.picture, frame.transparent_color);
    if (!layers_too) return;
    for (auto& l : frame.layers)
        if (!l->alpha)
            l->alpha = AlphaFromKey(l->picture, l->transparent_color != -1 ? l->transparent_color : frame.transparent_color);
}

void ConvertFrameTo24(TVuskFrame& frame, bool layers_too) {
    TDIBSurface& pic = frame.picture;
    if (pic.BitCount() > 8) return;
    int32_t kx = -1, ky = -1;
    if (frame.transparent_color != -1)
        for (int32_t y = 0; y < pic.Height() && kx < 0; ++y)
            for (int32_t x = 0; x < pic.Width(); ++x)
                if (pic.GetPixel(x, y) == uint32_t(frame.transparent_color)) {
                    kx = x, ky = y;
                    break;
                }
    pic = ConvertTo24(pic);
    if (kx >= 0) frame.transparent_color = int32_t(pic.GetPixel(kx, ky));
    else if (frame.transparent_color != -1)
        frame.transparent_color = ColorToPixel(pic.Format(), frame.transparent_rgb);
    if (!layers_too) return;
    for (auto& l : frame.layers) {
        if (l->picture.BitCount() > 8) continue;
        const TDIBSurface before = l->picture;
        l->picture = ConvertTo24(before);
        if (l->transparent_color != -1) {
            const int32_t rgb = PixelToColor(before.Format(), uint32_t(l->transparent_color), before.Palette().data(),
                                             before.PaletteSize());
            l->transparent_color = ColorToPixel(l->picture.Format(), rgb);
        }
    }
}

void ReduceFrameColours(TVuskFrame& frame, int target_bits, bool layers_too) {
    // A frame keyed by its transparent colour alone is left as it is: there
    // only exact colours say what is drawn. With an alpha plane, the plane
    // says it.
    if (frame.alpha || frame.transparent_color == -1)
        frame.transparent_color = ReduceColours(frame.picture, target_bits, frame.transparent_color);
    if (!layers_too) return;
    for (auto& l : frame.layers)
        if (l->alpha || l->transparent_color == -1)
            l->transparent_color = ReduceColours(l->picture, target_bits, l->transparent_color);
}

std::optional<TRect> TrimToOpaqueBounds(TVuskFrame& frame) {
    const TDIBSurface& pic = frame.picture;
    const uint32_t bits = ValueBits(pic);
    TRect box{pic.Width(), pic.Height(), 0, 0};
    for (int32_t y = 0; y < pic.Height(); ++y)
        for (int32_t x = 0; x < pic.Width(); ++x) {
            const bool visible = frame.alpha ? frame.alpha->Row(y)[x] > 0
                                             : frame.transparent_color == -1 ||
                                                   (pic.GetPixel(x, y) & bits) != (uint32_t(frame.transparent_color) & bits);
            if (!visible) continue;
            box.left = std::min(box.left, x), box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
        }
    if (box.IsEmpty() || box == TRect{0, 0, pic.Width(), pic.Height()}) return std::nullopt;
    for (RegionList* list : {&frame.regions1, &frame.regions2}) {
        if (!*list) continue;
        std::vector<TRect> kept;
        for (const TRect& r : **list)
            if (const TRect c = Intersect(r, box); !c.IsEmpty()) kept.push_back(c);
        *list = std::move(kept);
    }
    return box;
}

}  // namespace mivo
