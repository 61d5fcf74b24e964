#pragma once
// Deterministic test pictures.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/dibx.hpp"

namespace mivo::testing {

// A small xorshift generator, so every run draws the same values.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed ? seed : 1) {}
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int32_t Range(int32_t lo, int32_t hi) { return lo + int32_t(Next() % uint32_t(hi - lo + 1)); }

private:
    uint32_t s_;
};

// Colour bands and a diagonal: every channel varies.
inline void PaintGradient(TCustomDIBX& s, int salt = 0) {
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) {
            const int32_t r = (x * 255) / std::max(1, s.GetWidth() - 1);
            const int32_t g = (y * 255) / std::max(1, s.GetHeight() - 1);
            const int32_t b = ((x + y + salt) * 37) & 255;
            s.SetPixel(x, y, uint32_t(s.ColorToPixel(r | g << 8 | b << 16)));
        }
}

// An 8-bit disc mask: 255 inside, falling off to 0 outside.
inline void PaintDisc(TCustomDIBX& m) {
    const double cx = m.GetWidth() / 2.0, cy = m.GetHeight() / 2.0, rad = std::min(cx, cy);
    for (int32_t y = 0; y < m.GetHeight(); ++y)
        for (int32_t x = 0; x < m.GetWidth(); ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / rad;
            m.SetPixel(x, y, uint32_t(std::clamp(int((1.3 - d) * 400), 0, 255)));
        }
}

inline void PaintRandom(TCustomDIBX& s, Rng& rng, uint32_t value_mask) {
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) s.SetPixel(x, y, rng.Next() & value_mask);
}

}  // namespace mivo::testing
