#include "graphics/pixel_format.hpp"

#include <bit>

#include "core/error.hpp"

namespace mivo {

namespace {

template <int Bits>
constexpr std::array<uint8_t, (1 << Bits)> MakeExpand() {
    std::array<uint8_t, (1 << Bits)> t{};
    for (int i = 0; i < (1 << Bits); ++i) t[i] = uint8_t((i << (8 - Bits)) | (i >> (2 * Bits - 8)));
    return t;
}

}  // namespace

const std::array<uint8_t, 32> kExpand5 = MakeExpand<5>();
const std::array<uint8_t, 64> kExpand6 = MakeExpand<6>();

Channels PixelFormat::GetChannels() const {
    Channels c;
    if (HasMasks()) {
        c.mask = {red_mask, green_mask, blue_mask};
        c.count = 3;
        c.all = red_mask | green_mask | blue_mask;
    } else {
        c.mask = {uint32_t((1u << bit_count) - 1), 0, 0};
        c.count = 1;
        c.all = c.mask[0];
    }
    return c;
}

bool IsValidBitCount(int bit_count) {
    switch (bit_count) {
        case 1: case 4: case 8: case 15: case 16: case 24: case 32: return true;
        default: return false;
    }
}

PixelFormat FormatForBitCount(int bit_count) {
    PixelFormat f;
    f.bit_count = bit_count;
    f.stored_bit_count = bit_count;
    switch (bit_count) {
        case 1: case 4: case 8: break;
        case 15:
            f.stored_bit_count = 16;
            f.red_mask = 0x7C00; f.green_mask = 0x03E0; f.blue_mask = 0x001F;
            break;
        case 16:
            f.red_mask = 0xF800; f.green_mask = 0x07E0; f.blue_mask = 0x001F;
            break;
        case 24: case 32:
            f.red_mask = 0xFF0000; f.green_mask = 0x00FF00; f.blue_mask = 0x0000FF;
            break;
        default: throw Error("unsupported pixel bit count " + std::to_string(bit_count));
    }
    return f;
}

int MaskShift(uint32_t mask) { return mask ? std::countr_zero(mask) : 0; }
int MaskWidth(uint32_t mask) { return std::popcount(mask); }

uint64_t DibRowSize(int64_t width, int stored_bit_count) {
    if (width <= 0) return 0;
    return ((uint64_t(width) * uint64_t(stored_bit_count) + 31) / 32) * 4;
}

int32_t ColorToPixel(const PixelFormat& f, int32_t colour) {
    if (colour < 0) return -1;
    if (!f.HasMasks()) return colour;
    const uint32_t c = uint32_t(colour);
    const uint32_t rgb[3] = {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
    const uint32_t masks[3] = {f.red_mask, f.green_mask, f.blue_mask};
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) v |= ((rgb[i] >> (8 - MaskWidth(masks[i]))) << MaskShift(masks[i])) & masks[i];
    return int32_t(v);
}

int32_t PixelToColor(const PixelFormat& f, uint32_t pixel, const uint32_t* palette, int palette_size) {
    if (!f.HasMasks()) {
        if (!palette || int64_t(pixel) >= palette_size) return int32_t(pixel);
        const uint32_t e = palette[pixel];  // bytes blue, green, red, reserved
        return int32_t(((e >> 16) & 0xFF) | (e & 0xFF00) | ((e & 0xFF) << 16));
    }
    const uint32_t masks[3] = {f.red_mask, f.green_mask, f.blue_mask};
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const uint32_t v = (pixel & masks[i]) >> MaskShift(masks[i]);
        uint32_t byte;
        switch (MaskWidth(masks[i])) {
            case 5: byte = kExpand5[v & 31]; break;
            case 6: byte = kExpand6[v & 63]; break;
            default: byte = v & 0xFF; break;
        }
        out |= byte << (8 * i);
    }
    return int32_t(out);
}

}  // namespace mivo
