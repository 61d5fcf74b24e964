#pragma once
// The memory bitmap behind a surface: top-down rows of the bitmap's row size
// (width × bits rounded up to 32 bits) and, for 8 bits and less, a palette of
// 4-byte entries (blue, green, red, reserved).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/pixel_format.hpp"

namespace mivo {

// Bounds on what one surface may hold, so a picture file cannot ask for an
// absurd allocation.
inline constexpr int32_t kMaxSurfaceSide = 16384;
inline constexpr uint64_t kMaxSurfaceBytes = uint64_t(512) << 20;

class TDIBSurface {
public:
    TDIBSurface() = default;
    TDIBSurface(int32_t width, int32_t height, int bit_count) { SetSize(width, height, bit_count); }

    // Reallocates (contents zero). Throws for an unknown bit count, a negative
    // size or a size beyond the caps.
    void SetSize(int32_t width, int32_t height, int bit_count);
    // Changes the pixel format keeping the size; contents zero.
    void SetBitCount(int bit_count) { SetSize(width_, height_, bit_count); }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int BitCount() const { return format_.bit_count; }
    const PixelFormat& Format() const { return format_; }
    size_t RowSize() const { return row_size_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }

    uint8_t* Row(int32_t y) { return pixels_.data() + size_t(y) * row_size_; }
    const uint8_t* Row(int32_t y) const { return pixels_.data() + size_t(y) * row_size_; }
    uint8_t* Bits() { return pixels_.data(); }
    const uint8_t* Bits() const { return pixels_.data(); }
    size_t ByteSize() const { return pixels_.size(); }

    // Pixels are read and written as native values; out-of-range positions
    // read 0 and are not written. 32-bit values keep their fourth byte 0.
    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t value);

    std::array<uint32_t, 256>& Palette() { return palette_; }
    const std::array<uint32_t, 256>& Palette() const { return palette_; }
    int PaletteSize() const { return format_.bit_count <= 8 ? (1 << format_.bit_count) : 0; }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    PixelFormat format_ = FormatForBitCount(32);
    size_t row_size_ = 0;
    std::vector<uint8_t> pixels_;
    std::array<uint32_t, 256> palette_{};
};

// Checks a requested surface size: sides 0..kMaxSurfaceSide and the whole
// bitmap within kMaxSurfaceBytes (64-bit arithmetic). Returns the byte size.
uint64_t CheckedSurfaceBytes(int64_t width, int64_t height, int bit_count);

// Reads and writes one native pixel value in a row of the given format.
uint32_t LoadPixel(const uint8_t* row, int32_t x, int stored_bit_count);
void StorePixel(uint8_t* row, int32_t x, int stored_bit_count, uint32_t value);

}  // namespace mivo
