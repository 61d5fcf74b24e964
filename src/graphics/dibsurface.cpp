#include "graphics/dibsurface.hpp"

#include <string>

#include "core/error.hpp"

namespace mivo {

uint64_t CheckedSurfaceBytes(int64_t width, int64_t height, int bit_count) {
    if (!IsValidBitCount(bit_count)) throw Error("unsupported pixel bit count " + std::to_string(bit_count));
    if (width < 0 || height < 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide)
        throw Error("surface size " + std::to_string(width) + "x" + std::to_string(height) + " out of range");
    const uint64_t bytes = DibRowSize(width, FormatForBitCount(bit_count).stored_bit_count) * uint64_t(height);
    if (bytes > kMaxSurfaceBytes)
        throw Error("surface " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                    std::to_string(bit_count) + " too large");
    return bytes;
}

void TDIBSurface::SetSize(int32_t width, int32_t height, int bit_count) {
    const uint64_t bytes = CheckedSurfaceBytes(width, height, bit_count);
    format_ = FormatForBitCount(bit_count);
    width_ = width;
    height_ = height;
    row_size_ = size_t(DibRowSize(width, format_.stored_bit_count));
    pixels_.assign(size_t(bytes), 0);
}

uint32_t LoadPixel(const uint8_t* row, int32_t x, int stored_bit_count) {
    switch (stored_bit_count) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        case 8: return row[x];
        case 16: return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        case 24: {
            const uint8_t* p = row + 3 * size_t(x);
            return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        }
        default: {
            const uint8_t* p = row + 4 * size_t(x);
            return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        }
    }
}

void StorePixel(uint8_t* row, int32_t x, int stored_bit_count, uint32_t v) {
    switch (stored_bit_count) {
        case 1: {
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = (v & 1) ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
            break;
        }
        case 4:
            if (x & 1) row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (v & 0x0F));
            else row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
            break;
        case 8: row[x] = uint8_t(v); break;
        case 16:
            row[2 * x] = uint8_t(v);
            row[2 * x + 1] = uint8_t(v >> 8);
            break;
        case 24: {
            uint8_t* p = row + 3 * size_t(x);
            p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16);
            break;
        }
        default: {
            uint8_t* p = row + 4 * size_t(x);
            p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = 0;
            break;
        }
    }
}

uint32_t TDIBSurface::GetPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return LoadPixel(Row(y), x, format_.stored_bit_count);
}

void TDIBSurface::SetPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    StorePixel(Row(y), x, format_.stored_bit_count, value);
}

}  // namespace mivo
