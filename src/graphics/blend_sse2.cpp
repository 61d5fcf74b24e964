// The packed 32-bit row loop on SSE2 (always present on x86-64).
#include <emmintrin.h>

#include "graphics/blend_packed.inl"
#include "graphics/blend_packed16.inl"

namespace mivo {
namespace {

struct Sse2 {
    using T = __m128i;
    using Mask = T;  // all ones in the pixels that are set
    static constexpr int kPixels = 4;
    static T Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static void Store(void* p, T v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
    // Each of four mask bytes in both 16-bit halves of its pixel's lane.
    static T Weights16(const uint8_t* m) { return Spread(m, false); }
    // The same with each byte in the high byte of its 16-bit half (m << 8).
    static T WeightsHigh16(const uint8_t* m) { return Spread(m, true); }
    static T Spread(const uint8_t* m, bool high) {
        int32_t v;
        std::memcpy(&v, m, 4);
        const T bytes = _mm_cvtsi32_si128(v), z = _mm_setzero_si128();
        const T w = high ? _mm_unpacklo_epi8(z, bytes) : _mm_unpacklo_epi8(bytes, z);
        return _mm_unpacklo_epi16(w, w);
    }
    static T MulHiU16(T a, T b) { return _mm_mulhi_epu16(a, b); }
    static T Zero() { return _mm_setzero_si128(); }
    // The pixels whose mask byte is v, tested on the bytes as Weights16
    // spread them (for 0, as either spread puts them).
    static T WeightIs(const uint8_t*, T w, uint32_t v) { return _mm_cmpeq_epi32(w, _mm_set1_epi32(int32_t(v * 0x10001))); }
    static T Set32(uint32_t v) { return _mm_set1_epi32(int32_t(v)); }
    static T Set16(uint32_t v) { return _mm_set1_epi16(int16_t(v)); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
    static T CmpEq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
    static T TestZero32(T a, T b) { return _mm_cmpeq_epi32(_mm_and_si128(a, b), _mm_setzero_si128()); }
    static T MaskOr(T a, T b) { return _mm_or_si128(a, b); }
    static T Select(T m, T a, T b) { return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)); }
    static bool AllSet(T m) { return _mm_movemask_epi8(m) == 0xFFFF; }
    static T Mul16(T a, T b) { return _mm_mullo_epi16(a, b); }
    static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
    static T Shr16By8(T a) { return _mm_srli_epi16(a, 8); }
    static T OrAnd(T a, T b, T c) { return _mm_or_si128(a, _mm_and_si128(b, c)); }
    static T CmpEq16(T a, T b) { return _mm_cmpeq_epi16(a, b); }
    static T Min16(T a, T b) { return _mm_min_epi16(a, b); }  // values stay below 32768
    static T SubSatU16(T a, T b) { return _mm_subs_epu16(a, b); }
    template <int K>
    static T Shr16(T a) { return _mm_srli_epi16(a, K); }
    template <int K>
    static T Shl16(T a) { return _mm_slli_epi16(a, K); }
    static T LoadMask16(const uint8_t* m) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)), _mm_setzero_si128());
    }
    static T AddSatU8(T a, T b) { return _mm_adds_epu8(a, b); }
    static T SubSatU8(T a, T b) { return _mm_subs_epu8(a, b); }
};

}  // namespace

void BlendRow16Sse2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    RunPacked16<Sse2>(op, dst, src, mask, n);
}

void BlendRow32Sse2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    Packed<Sse2>::Run(op, dst, src, mask, n);
}

}  // namespace mivo
