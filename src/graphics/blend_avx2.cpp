// The packed row loops on AVX2; this file alone is compiled with
// -mavx2 and is only called after the processor said it has AVX2.
#include <immintrin.h>

#include <algorithm>
#include <cstdlib>

#include "graphics/blend_packed.inl"
#include "graphics/blend_packed16.inl"

namespace mivo {
namespace {

struct Avx2 {
    using T = __m256i;
    using Mask = T;  // all ones in the pixels that are set
    static constexpr int kPixels = 8;
    static T Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void Store(void* p, T v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
    // Each of eight mask bytes in both 16-bit halves of its pixel's lane:
    // both 128-bit halves hold the eight bytes and each picks its own four.
    static T Weights16(const uint8_t* m) { return Spread(m, false); }
    // The same with each byte in the high byte of its 16-bit half (m << 8).
    static T WeightsHigh16(const uint8_t* m) { return Spread(m, true); }
    static T Spread(const uint8_t* m, bool high) {
        const T b = _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)));
        const T low = _mm256_setr_epi8(0, -1, 0, -1, 1, -1, 1, -1, 2, -1, 2, -1, 3, -1, 3, -1,  //
                                       4, -1, 4, -1, 5, -1, 5, -1, 6, -1, 6, -1, 7, -1, 7, -1);
        const T high_picks = _mm256_setr_epi8(-1, 0, -1, 0, -1, 1, -1, 1, -1, 2, -1, 2, -1, 3, -1, 3,  //
                                              -1, 4, -1, 4, -1, 5, -1, 5, -1, 6, -1, 6, -1, 7, -1, 7);
        return _mm256_shuffle_epi8(b, high ? high_picks : low);
    }
    static T MulHiU16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
    static T Zero() { return _mm256_setzero_si256(); }
    // The pixels whose mask byte is v, tested on the bytes as Weights16
    // spread them (for 0, as either spread puts them).
    static T WeightIs(const uint8_t*, T w, uint32_t v) {
        return _mm256_cmpeq_epi32(w, _mm256_set1_epi32(int32_t(v * 0x10001)));
    }
    static T Set32(uint32_t v) { return _mm256_set1_epi32(int32_t(v)); }
    static T Set16(uint32_t v) { return _mm256_set1_epi16(int16_t(v)); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static T CmpEq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
    static T TestZero32(T a, T b) { return _mm256_cmpeq_epi32(_mm256_and_si256(a, b), _mm256_setzero_si256()); }
    static T MaskOr(T a, T b) { return _mm256_or_si256(a, b); }
    static T Select(T m, T a, T b) { return _mm256_blendv_epi8(b, a, m); }
    static bool AllSet(T m) { return _mm256_movemask_epi8(m) == -1; }
    static T Mul16(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T Shr16By8(T a) { return _mm256_srli_epi16(a, 8); }
    static T OrAnd(T a, T b, T c) { return _mm256_or_si256(a, _mm256_and_si256(b, c)); }
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

// Eight destination pixels whose sources lie within eight neighbours (any
// enlargement, mirrored or not) are one load and one permute; the rest
// (reductions) go pixel by pixel.
void GatherRow32Avx2(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int32_t limit) {
    int32_t c = 0;
    for (; c + 8 <= w; c += 8) {
        const int32_t first = cols[c], last = cols[c + 7];
        const int32_t lo = std::min(first, last);
        if (std::abs(last - first) <= 7 && lo + 8 <= limit) {
            const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cols + c));
            const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + size_t(lo) * 4));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + size_t(c) * 4),
                                _mm256_permutevar8x32_epi32(src, _mm256_sub_epi32(idx, _mm256_set1_epi32(lo))));
        } else {
            GatherRow32Reference(out + size_t(c) * 4, row, cols + c, 8, limit);
        }
    }
    GatherRow32Reference(out + size_t(c) * 4, row, cols + c, w - c, limit);
}

}  // namespace mivo
