#pragma once
// Rectangles are (left, top, right, bottom) with right and bottom exclusive.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace mivo {

struct TRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int64_t Width() const { return int64_t(right) - left; }
    int64_t Height() const { return int64_t(bottom) - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const TRect&) const = default;
};

// A picture's list of named sub-rectangles, or no list at all (nullopt),
// which is not the same as an empty list.
using RegionList = std::optional<std::vector<TRect>>;

inline TRect MakeRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    return TRect{x, y, int32_t(int64_t(x) + w), int32_t(int64_t(y) + h)};
}

inline TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
    if (r.IsEmpty()) return TRect{};
    return r;
}

inline TRect Union(const TRect& a, const TRect& b) {
    return TRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom)};
}

}  // namespace mivo
