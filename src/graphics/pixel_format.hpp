#pragma once
// Pixel formats of surfaces and the conversions between RGB colours
// (0x00BBGGRR) and native pixel values.
#include <array>
#include <cstdint>

namespace mivo {

// Channel masks of a pixel value; palette formats (8 bits and less) act as
// one channel covering the whole index, which is what masks and coverage
// planes need.
struct Channels {
    std::array<uint32_t, 3> mask{};  // red, green, blue (or the one index channel)
    int count = 0;
    uint32_t all = 0;  // OR of the masks: the bits that carry meaning
};

struct PixelFormat {
    int bit_count = 0;         // effective: 1, 4, 8, 15, 16, 24 or 32
    int stored_bit_count = 0;  // 16 for a 15-bit surface
    uint32_t red_mask = 0, green_mask = 0, blue_mask = 0;

    int BytesPerPixel() const { return stored_bit_count >= 8 ? stored_bit_count / 8 : 0; }
    bool HasMasks() const { return bit_count >= 15; }
    Channels GetChannels() const;
};

bool IsValidBitCount(int bit_count);
// The format for a bit count; 15 gives 5-5-5 masks on 16-bit words, 16 gives
// 5-6-5, 24 and 32 give 8-8-8. Throws for an unknown count.
PixelFormat FormatForBitCount(int bit_count);

int MaskShift(uint32_t mask);  // zero bits below the mask
int MaskWidth(uint32_t mask);  // set bits of the mask

// Row size of a bitmap: width × bits rounded up to 32 bits, in bytes (64-bit
// so a caller can check it before allocating).
uint64_t DibRowSize(int64_t width, int stored_bit_count);

// RGB colour 0x00BBGGRR to a native value: each channel is shifted right by
// (8 − channel width) and placed at its mask; palette formats return the
// value unchanged; a negative colour yields −1.
int32_t ColorToPixel(const PixelFormat& f, int32_t colour);

// Native value back to 0x00BBGGRR. A channel of n bits is widened by
// repeating its top bits (the tables below), so white stays white. Palette
// formats look the index up in a table of 0x00RRGGBB-style entries
// (blue, green, red, reserved bytes).
int32_t PixelToColor(const PixelFormat& f, uint32_t pixel, const uint32_t* palette = nullptr,
                     int palette_size = 0);

// Widening tables for 5- and 6-bit channels.
extern const std::array<uint8_t, 32> kExpand5;
extern const std::array<uint8_t, 64> kExpand6;

}  // namespace mivo
