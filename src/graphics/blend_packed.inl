// The packed loop for 32-bit rows, written once over a small set of vector
// operations (the traits V) and compiled once for each instruction set.
//
// Each 32-bit pixel is split in place into two 16-bit lane pairs: blue and
// red (pixel & 0x00FF00FF) and green and the fourth byte (pixel >> 8 per
// 16-bit lane). A weight sits in both 16-bit halves of the pixel's lane, so
// one 16-bit multiply handles two channels and no byte shuffles are needed.
// Every channel follows the reference rule exactly: the weights sum to 255,
// so (255 − w) × d + w × s fits 16 bits and the division is a shift by 8.
// Blend results have their fourth byte cleared; skipped pixels stay
// untouched. Everything here has internal linkage so a build for a newer
// instruction set cannot leak into code that runs on other processors.
#include <cstring>
#include <type_traits>

#include "graphics/blend_row.hpp"

namespace mivo {
namespace {

template <class V>
struct Packed {
    using T = typename V::T;
    using M = typename V::Mask;  // one flag per pixel
    static constexpr int N = V::kPixels;
    // N mask bytes read at once to test for all-0 and all-255 groups.
    using MaskWord = std::conditional_t<N == 4, uint32_t, std::conditional_t<N == 8, uint64_t, unsigned __int128>>;

    static MaskWord LoadWord(const uint8_t* m) {
        MaskWord w;
        std::memcpy(&w, m, sizeof w);
        return w;
    }

    // The two lane pairs of a pixel; the fourth byte rides in the odd lane
    // and is dropped when the halves are joined.
    static T EvenLanes(T p) { return V::And(p, V::Set32(0x00FF00FF)); }
    static T OddLanes(T p) { return V::Shr16By8(p); }
    // High bytes of the even sums to bytes 0 and 2, of the odd sums to byte 1.
    static T Join(T even, T odd) { return V::OrAnd(V::Shr16By8(even), odd, V::Set32(0x0000FF00)); }

    // ((255 − w) × d + w × s) >> 8 per channel; w and iw = 255 − w per lane.
    static T Mix(T d, T se, T so, T w, T iw) {
        const T even = V::Add16(V::Mul16(EvenLanes(d), iw), V::Mul16(se, w));
        const T odd = V::Add16(V::Mul16(OddLanes(d), iw), V::Mul16(so, w));
        return Join(even, odd);
    }
    // (w × s) >> 8 per channel.
    static T Scale(T s, T w) { return Join(V::Mul16(EvenLanes(s), w), V::Mul16(OddLanes(s), w)); }
    static T Invert(T w) { return V::Xor(w, V::Set32(0x00FF00FF)); }

    static void Run(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
        const T rgb = V::Set32(0x00FFFFFF);
        const T key = V::Set32(op.key & 0x00FFFFFF);
        const T colour = V::Set32(op.colour & 0x00FFFFFF);
        const T weight = V::Set16(op.weight), inverse = V::Set16(255 - op.weight);
        int i = 0;
        auto D = [&](int k) { return dst + size_t(k) * 4; };
        auto S = [&](int k) { return src + size_t(k) * 4; };
        // Equal in the three colour bytes.
        auto Same = [&](T a, T b) { return V::TestZero32(V::Xor(a, b), rgb); };
        auto IsKey = [&](T s) { return V::CmpEq32(V::And(s, rgb), key); };
        switch (op.kind) {
            case RowKind::Copy:
                if (!op.use_key) {
                    std::memmove(dst, src, size_t(n) * 4);
                    return;
                }
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    V::Store(D(i), V::Select(IsKey(s), d, s));
                }
                break;
            case RowKind::Alpha:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    T r = Mix(d, EvenLanes(s), OddLanes(s), weight, inverse);
                    if (op.use_key) r = V::Select(IsKey(s), d, r);
                    if (op.skip_equal) r = V::Select(Same(s, d), d, r);
                    V::Store(D(i), r);
                }
                break;
            case RowKind::Add:
                if (op.add8_plain) break;
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T r = V::And(V::AddSatU8(d, Scale(s, weight)), rgb);
                    V::Store(D(i), op.use_key ? V::Select(IsKey(s), d, r) : r);
                }
                break;
            case RowKind::Mask:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const MaskWord word = LoadWord(mask + i);
                    if (word == 0) continue;
                    const T s = V::Load(S(i));
                    if (word == ~MaskWord(0)) {
                        V::Store(D(i), s);
                        continue;
                    }
                    const T d = V::Load(D(i));
                    const T w = V::Weights16(mask + i);
                    const T r = Mix(d, EvenLanes(s), OddLanes(s), w, Invert(w));
                    // 255 copies, before the equal and zero tests that keep d.
                    const M keep = V::MaskOr(V::WeightIs(mask + i, w, 0), Same(s, d));
                    V::Store(D(i), V::Select(V::WeightIs(mask + i, w, 255), s, V::Select(keep, d, r)));
                }
                break;
            case RowKind::MaskAlpha:
            case RowKind::MaskAdd:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    if (LoadWord(mask + i) == 0) continue;
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T mh = V::WeightsHigh16(mask + i);
                    const T w = V::MulHiU16(mh, weight);  // (weight × m) >> 8
                    const T r = op.kind == RowKind::MaskAlpha ? Mix(d, EvenLanes(s), OddLanes(s), w, Invert(w))
                                                              : V::And(V::AddSatU8(d, Scale(s, w)), rgb);
                    V::Store(D(i), V::Select(V::WeightIs(mask + i, mh, 0), d, r));
                }
                break;
            case RowKind::FillAlpha: {
                // The colour's share is the same for every pixel.
                const T ce = V::Mul16(EvenLanes(colour), weight), co = V::Mul16(OddLanes(colour), weight);
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T d = V::Load(D(i));
                    const T r = Join(V::Add16(V::Mul16(EvenLanes(d), inverse), ce),
                                     V::Add16(V::Mul16(OddLanes(d), inverse), co));
                    V::Store(D(i), V::Select(Same(colour, d), d, r));
                }
                break;
            }
            case RowKind::AddColor:
                for (; i + N <= n; i += N) V::Store(D(i), V::And(V::AddSatU8(V::Load(D(i)), colour), rgb));
                break;
            case RowKind::SubColor:
                for (; i + N <= n; i += N) V::Store(D(i), V::And(V::SubSatU8(V::Load(D(i)), colour), rgb));
                break;
            case RowKind::ColorMask: {
                const T ce = EvenLanes(colour), co = OddLanes(colour);
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    if (LoadWord(mask + i) == 0) continue;
                    const T d = V::Load(D(i));
                    // The zero test is on the mask byte: a scaled weight of 0 still blends.
                    const T m = op.weight >= 255 ? V::Weights16(mask + i) : V::WeightsHigh16(mask + i);
                    const T w = op.weight >= 255 ? m : V::MulHiU16(m, weight);
                    const T r = Mix(d, ce, co, w, Invert(w));
                    V::Store(D(i), V::Select(V::MaskOr(V::WeightIs(mask + i, m, 0), Same(colour, d)), d, r));
                }
                break;
            }
        }
        if (i < n) BlendRowReference(op, D(i), src ? S(i) : nullptr, mask ? mask + i : nullptr, n - i);
    }
};

}  // namespace
}  // namespace mivo
