#pragma once
// The 10-byte extended float of the stored formats: 64-bit significand with
// an explicit integer bit, 15-bit exponent (bias 16383), sign. Converted bit by
// bit so the result does not depend on the host's long double layout.
#include <array>
#include <cstdint>

namespace mivo {

using Extended10 = std::array<uint8_t, 10>;

long double DecodeExtended(const uint8_t* bytes);
Extended10 EncodeExtended(long double value);

}  // namespace mivo
