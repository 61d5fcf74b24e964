#include "core/extended.hpp"

#include <cmath>
#include <limits>

namespace mivo {

long double DecodeExtended(const uint8_t* b) {
    uint64_t mant = 0;
    for (int i = 7; i >= 0; --i) mant = (mant << 8) | b[i];
    unsigned se = static_cast<unsigned>(b[8]) | (static_cast<unsigned>(b[9]) << 8);
    bool neg = (se & 0x8000u) != 0;
    int exp = static_cast<int>(se & 0x7FFFu);
    long double v;
    if (exp == 0x7FFF) {
        // Infinity when the fraction (below the integer bit) is zero, else NaN.
        if ((mant & 0x7FFFFFFFFFFFFFFFull) == 0)
            v = std::numeric_limits<long double>::infinity();
        else
            v = std::numeric_limits<long double>::quiet_NaN();
    } else if (mant == 0) {
        v = 0.0L;
    } else {
        // value = mant * 2^(exp - 16383 - 63); denormals use exponent 1.
        int e = (exp == 0 ? 1 : exp) - 16383 - 63;
        v = std::ldexp(static_cast<long double>(mant), e);
    }
    return neg ? -v : v;
}

Extended10 EncodeExtended(long double value) {
    Extended10 out{};
    bool neg = std::signbit(value);
    long double a = std::fabs(value);
    uint64_t mant = 0;
    int exp = 0;
    if (std::isnan(value)) {
        exp = 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exp = 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (a != 0.0L) {
        int e2 = 0;
        long double frac = std::frexp(a, &e2);  // a = frac * 2^e2, frac in [0.5, 1)
        int biased = e2 - 1 + 16383;
        if (biased <= 0) {
            // Denormal: significand scaled to exponent field 0 (weight 2^-16382).
            mant = static_cast<uint64_t>(std::ldexp(a, 16382 + 63));
            exp = 0;
        } else if (biased >= 0x7FFF) {
            exp = 0x7FFF;
            mant = 0x8000000000000000ull;
        } else {
            mant = static_cast<uint64_t>(std::ldexp(frac, 64));
            exp = biased;
        }
    }
    for (int i = 0; i < 8; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(mant >> (8 * i));
    unsigned se = static_cast<unsigned>(exp) | (neg ? 0x8000u : 0u);
    out[8] = static_cast<uint8_t>(se & 0xFF);
    out[9] = static_cast<uint8_t>(se >> 8);
    return out;
}

}  // namespace mivo
