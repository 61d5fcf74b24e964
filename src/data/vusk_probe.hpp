#pragma once
// Recognising layered images by their first bytes, without the codec.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mivo {

// True when the bytes begin like a layered image: "Vusk" and three digits.
inline bool IsLayeredImage(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (size < 7 || std::memcmp(p, "Vusk", 4) != 0) return false;
    for (int i = 4; i < 7; ++i)
        if (p[i] < '0' || p[i] > '9') return false;
    return true;
}

// True for a layered image of version 103 or later whose planes are stored
// uncompressed (header compression kind 1): such files are worth packing.
inline bool IsUncompressedLayeredImage(const void* data, size_t size) {
    if (!IsLayeredImage(data, size) || size < 7 + 4 + 23) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    const int version = (p[4] - '0') * 100 + (p[5] - '0') * 10 + (p[6] - '0');
    const int32_t record = int32_t(uint32_t(p[7]) | uint32_t(p[8]) << 8 | uint32_t(p[9]) << 16 | uint32_t(p[10]) << 24);
    return version >= 103 && record >= 23 && p[11 + 22] == 1;
}

}  // namespace mivo
