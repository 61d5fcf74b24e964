// The packed loop for 32-bit rows, written once over a small set of vector
// operations (the traits V) and compiled once for SSE2 and once for AVX2.
// Each byte channel follows the reference rule exactly: the weights sum to
// 255, every product fits 16 bits and the division is a shift by 8. Blend
// results have their fourth byte cleared; skipped pixels stay untouched.
// Everything here has internal linkage so the AVX2 build cannot leak into
// code that runs on other processors.
#include <cstring>

#include "graphics/blend_row.hpp"

namespace mivo {
namespace {

template <class V>
struct Packed {
    using T = typename V::T;
    static constexpr int N = V::kPixels;

    // Weight pairs: each 16-bit lane holds (255 − w) in its low byte and w in
    // its high byte, the layout V::MixPairs wants.
    static T ConstPairs(uint32_t w) { return V::Set16((255 - w) | w << 8); }
    // One weight per pixel (32-bit lanes, 0..255) to pairs for the low and
    // high halves of the unpacked pixels.
    static void SpreadPairs(T w32, T& lo, T& hi) {
        const T p = V::Add16(V::Set32(255), V::Mul16(w32, V::Set32(255)));  // 255 − w + 256 w
        const T p16 = V::Or(p, V::Shl32By16(p));
        lo = V::UnpackLo32(p16, p16);
        hi = V::UnpackHi32(p16, p16);
    }
    // Pairs straight from the mask bytes where the traits can shuffle them.
    static void MaskPairs(const uint8_t* m, T m32, T& lo, T& hi) {
        if constexpr (requires { V::MaskPairs(m, lo, hi); }) V::MaskPairs(m, lo, hi);
        else SpreadPairs(m32, lo, hi);
    }
    static void SpreadWeights(T w32, T& lo, T& hi) {
        const T w16 = V::Or(w32, V::Shl32By16(w32));
        lo = V::UnpackLo32(w16, w16);
        hi = V::UnpackHi32(w16, w16);
    }
    // (w × s) >> 8 per byte, weights per 16-bit lane.
    static T Scale(T s, T wlo, T whi) { return V::PackU16(V::ScaleLo(s, wlo), V::ScaleHi(s, whi)); }

    static void Run(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
        const T rgb = V::Set32(0x00FFFFFF);
        const T zero = V::Zero();
        const T ff = V::Set32(255);
        const T key = V::Set32(op.key & 0x00FFFFFF);
        const T colour = V::Set32(op.colour & 0x00FFFFFF);
        const T w16 = V::Set16(op.weight), pairs = ConstPairs(op.weight);
        const T weight32 = V::Set32(op.weight);
        int i = 0;
        auto D = [&](int k) { return dst + size_t(k) * 4; };
        auto S = [&](int k) { return src + size_t(k) * 4; };
        switch (op.kind) {
            case RowKind::Copy:
                if (!op.use_key) {
                    std::memmove(dst, src, size_t(n) * 4);
                    return;
                }
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    V::Store(D(i), V::Select(V::CmpEq32(V::And(s, rgb), key), d, s));
                }
                break;
            case RowKind::Alpha:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    T skip = zero;
                    if (op.use_key) skip = V::CmpEq32(V::And(s, rgb), key);
                    if (op.skip_equal) skip = V::Or(skip, V::CmpEq32(V::And(V::Xor(s, d), rgb), zero));
                    const T r = V::And(V::MixPairs(d, s, pairs, pairs), rgb);
                    V::Store(D(i), V::Select(skip, d, r));
                }
                break;
            case RowKind::Add:
                if (op.add8_plain) break;
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T r = V::And(V::AddSatU8(d, Scale(s, w16, w16)), rgb);
                    V::Store(D(i), op.use_key ? V::Select(V::CmpEq32(V::And(s, rgb), key), d, r) : r);
                }
                break;
            case RowKind::Mask:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask32(mask + i);
                    const T m0 = V::CmpEq32(m, zero), m255 = V::CmpEq32(m, ff);
                    if (V::AllSet(m0)) continue;
                    const T s = V::Load(S(i));
                    if (V::AllSet(m255)) {
                        V::Store(D(i), s);
                        continue;
                    }
                    const T d = V::Load(D(i));
                    T plo, phi;
                    MaskPairs(mask + i, m, plo, phi);
                    const T r = V::And(V::MixPairs(d, s, plo, phi), rgb);
                    // 255 copies, before the equal and zero tests that keep d.
                    const T keep = V::Or(m0, V::CmpEq32(V::And(V::Xor(s, d), rgb), zero));
                    V::Store(D(i), V::Select(m255, s, V::Select(keep, d, r)));
                }
                break;
            case RowKind::MaskAlpha:
            case RowKind::MaskAdd:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask32(mask + i);
                    const T m0 = V::CmpEq32(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T w = V::Shr32By8(V::Mul16(m, weight32));
                    T lo, hi, r;
                    if (op.kind == RowKind::MaskAlpha) {
                        SpreadPairs(w, lo, hi);
                        r = V::MixPairs(d, s, lo, hi);
                    } else {
                        SpreadWeights(w, lo, hi);
                        r = V::AddSatU8(d, Scale(s, lo, hi));
                    }
                    V::Store(D(i), V::Select(m0, d, V::And(r, rgb)));
                }
                break;
            case RowKind::FillAlpha:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T d = V::Load(D(i));
                    const T r = V::And(V::MixPairs(d, colour, pairs, pairs), rgb);
                    V::Store(D(i), V::Select(V::CmpEq32(V::And(V::Xor(colour, d), rgb), zero), d, r));
                }
                break;
            case RowKind::AddColor:
                for (; i + N <= n; i += N) V::Store(D(i), V::And(V::AddSatU8(V::Load(D(i)), colour), rgb));
                break;
            case RowKind::SubColor:
                for (; i + N <= n; i += N) V::Store(D(i), V::And(V::SubSatU8(V::Load(D(i)), colour), rgb));
                break;
            case RowKind::ColorMask:
                _Pragma("GCC unroll 2")
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask32(mask + i);
                    const T m0 = V::CmpEq32(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T d = V::Load(D(i));
                    T plo, phi;
                    if (op.weight >= 255) MaskPairs(mask + i, m, plo, phi);
                    else SpreadPairs(V::Shr32By8(V::Mul16(m, weight32)), plo, phi);
                    T r = V::And(V::MixPairs(d, colour, plo, phi), rgb);
                    r = V::Select(V::CmpEq32(V::And(V::Xor(colour, d), rgb), zero), d, r);
                    V::Store(D(i), V::Select(m0, d, r));
                }
                break;
        }
        if (i < n) BlendRowReference(op, D(i), src ? S(i) : nullptr, mask ? mask + i : nullptr, n - i);
    }
};

}  // namespace
}  // namespace mivo
