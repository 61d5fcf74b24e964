// The packed 32-bit row loop on AVX2; this file alone is compiled with
// -mavx2 and is only called after the processor said it has AVX2.
#include <immintrin.h>

#include "graphics/blend_packed.inl"
#include "graphics/blend_packed16.inl"

namespace mivo {
namespace {

struct Avx2 {
    using T = __m256i;
    static constexpr int kPixels = 8;
    static T Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void Store(void* p, T v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
    static T LoadMask32(const uint8_t* m) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)));
    }
    static T Zero() { return _mm256_setzero_si256(); }
    static T Set32(uint32_t v) { return _mm256_set1_epi32(int32_t(v)); }
    static T Set16(uint32_t v) { return _mm256_set1_epi16(int16_t(v)); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static T CmpEq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
    static T Select(T m, T a, T b) { return _mm256_blendv_epi8(b, a, m); }
    static bool AllSet(T m) { return _mm256_movemask_epi8(m) == -1; }
    static T UnpackLo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
    static T UnpackHi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
    static T UnpackLo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
    static T UnpackHi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
    static T Mul16(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T Shr16By8(T a) { return _mm256_srli_epi16(a, 8); }
    static T Shr32By8(T a) { return _mm256_srli_epi32(a, 8); }
    static T Shl32By16(T a) { return _mm256_slli_epi32(a, 16); }
    static T PackU16(T a, T b) { return _mm256_packus_epi16(a, b); }
    // ((255 − w) × d + w × s) >> 8 per byte; pairs hold 255 − w | w << 8.
    // With the pixels biased to signed bytes, one multiply-add per lane gives
    // (255 − w)(d − 128) + w(s − 128), within 16 bits; adding 255 × 128 back
    // gives the exact sum.
    static T MixPairs(T d, T s, T plo, T phi) {
        const T bias = _mm256_set1_epi8(int8_t(0x80)), back = _mm256_set1_epi16(32640);
        const T db = _mm256_xor_si256(d, bias), sb = _mm256_xor_si256(s, bias);
        const T lo = _mm256_add_epi16(_mm256_maddubs_epi16(plo, _mm256_unpacklo_epi8(db, sb)), back);
        const T hi = _mm256_add_epi16(_mm256_maddubs_epi16(phi, _mm256_unpackhi_epi8(db, sb)), back);
        return _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
    }
    // Pairs for eight mask bytes: 255 − m is m XOR 255; both lanes hold all
    // eight pairs and each picks its own pixels.
    static void MaskPairs(const uint8_t* m, T& lo, T& hi) {
        const T M = _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)));
        const T P = _mm256_unpacklo_epi8(_mm256_xor_si256(M, _mm256_set1_epi8(-1)), M);
        const T pick_lo = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3,  //
                                           8, 9, 8, 9, 8, 9, 8, 9, 10, 11, 10, 11, 10, 11, 10, 11);
        const T pick_hi = _mm256_setr_epi8(4, 5, 4, 5, 4, 5, 4, 5, 6, 7, 6, 7, 6, 7, 6, 7,  //
                                           12, 13, 12, 13, 12, 13, 12, 13, 14, 15, 14, 15, 14, 15, 14, 15);
        lo = _mm256_shuffle_epi8(P, pick_lo);
        hi = _mm256_shuffle_epi8(P, pick_hi);
    }
    static T ScaleLo(T s, T w) { return _mm256_mulhi_epu16(_mm256_unpacklo_epi8(_mm256_setzero_si256(), s), w); }
    static T ScaleHi(T s, T w) { return _mm256_mulhi_epu16(_mm256_unpackhi_epi8(_mm256_setzero_si256(), s), w); }
    static T CmpEq16(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
    static T Min16(T a, T b) { return _mm256_min_epi16(a, b); }
    static T SubSatU16(T a, T b) { return _mm256_subs_epu16(a, b); }
    template <int K>
    static T Shr16(T a) { return _mm256_srli_epi16(a, K); }
    template <int K>
    static T Shl16(T a) { return _mm256_slli_epi16(a, K); }
    static T LoadMask16(const uint8_t* m) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m)));
    }
    static T AddSatU8(T a, T b) { return _mm256_adds_epu8(a, b); }
    static T SubSatU8(T a, T b) { return _mm256_subs_epu8(a, b); }
};

}  // namespace

void BlendRow16Avx2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    RunPacked16<Avx2>(op, dst, src, mask, n);
}

void BlendRow32Avx2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    Packed<Avx2>::Run(op, dst, src, mask, n);
}

}  // namespace mivo
