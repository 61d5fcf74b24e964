// The packed 32-bit row loop on AVX-512 (F, BW and VL): sixteen pixels a
// step, per-pixel choices in mask registers and joins in one ternary-logic
// instruction. This file alone is compiled for AVX-512 and is only called
// after the processor said it has it.
#include <immintrin.h>

#include <array>

#include "graphics/blend_packed.inl"

namespace mivo {
namespace {

struct Avx512 {
    using T = __m512i;
    using Mask = __mmask16;  // one bit per pixel
    static constexpr int kPixels = 16;
    static T Load(const void* p) { return _mm512_loadu_si512(p); }
    static void Store(void* p, T v) { _mm512_storeu_si512(p, v); }
    // Each of sixteen mask bytes in both 16-bit halves of its pixel's lane:
    // every 128-bit quarter holds the sixteen bytes and picks its own four.
    static T Weights16(const uint8_t* m) { return Spread(m, 0); }
    // The same with each byte in the high byte of its 16-bit half (m << 8).
    static T WeightsHigh16(const uint8_t* m) { return Spread(m, 8); }
    static T Spread(const uint8_t* m, int shift) {
        // (The zero-masked form: the plain one trips a false warning in GCC 12.)
        const T b = _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_loadu_si128(reinterpret_cast<const __m128i*>(m)));
        // Byte 4p + 2h + (shift / 8) of the result is mask byte p; the others are 0.
        alignas(64) static constexpr auto kPicks = [] {
            std::array<std::array<int8_t, 64>, 2> t{};
            for (int k = 0; k < 2; ++k)
                for (int i = 0; i < 64; ++i) t[size_t(k)][size_t(i)] = (i & 1) == k ? int8_t(i / 4) : int8_t(-1);
            return t;
        }();
        return _mm512_shuffle_epi8(b, _mm512_load_si512(kPicks[shift ? 1 : 0].data()));
    }
    static T MulHiU16(T a, T b) { return _mm512_mulhi_epu16(a, b); }
    // The pixels whose mask byte is v, tested on the sixteen bytes themselves.
    static Mask WeightIs(const uint8_t* m, T, uint32_t v) {
        return _mm_cmpeq_epi8_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m)), _mm_set1_epi8(char(v)));
    }
    static T Set32(uint32_t v) { return _mm512_set1_epi32(int32_t(v)); }
    static T Set16(uint32_t v) { return _mm512_set1_epi16(int16_t(v)); }
    static T And(T a, T b) { return _mm512_and_si512(a, b); }
    static T Xor(T a, T b) { return _mm512_xor_si512(a, b); }
    static T OrAnd(T a, T b, T c) { return _mm512_ternarylogic_epi32(a, b, c, 0xF8); }  // a | (b & c)
    static Mask CmpEq32(T a, T b) { return _mm512_cmpeq_epi32_mask(a, b); }
    static Mask TestZero32(T a, T b) { return _mm512_testn_epi32_mask(a, b); }
    static Mask MaskOr(Mask a, Mask b) { return Mask(a | b); }
    static T Select(Mask m, T a, T b) { return _mm512_mask_blend_epi32(m, b, a); }
    static T Mul16(T a, T b) { return _mm512_mullo_epi16(a, b); }
    static T Add16(T a, T b) { return _mm512_add_epi16(a, b); }
    static T Shr16By8(T a) { return _mm512_srli_epi16(a, 8); }
    static T AddSatU8(T a, T b) { return _mm512_adds_epu8(a, b); }
    static T SubSatU8(T a, T b) { return _mm512_subs_epu8(a, b); }
};

}  // namespace

void BlendRow32Avx512(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    Packed<Avx512>::Run(op, dst, src, mask, n);
}

}  // namespace mivo
