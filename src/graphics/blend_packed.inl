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

    // ((255 − w) × d + w × s) >> 8 per byte, weights given per 16-bit lane.
    static T Mix(T d, T s, T iwlo, T wlo, T iwhi, T whi) {
        const T z = V::Zero();
        const T lo = V::Shr16By8(V::Add16(V::Mul16(V::UnpackLo8(d, z), iwlo), V::Mul16(V::UnpackLo8(s, z), wlo)));
        const T hi = V::Shr16By8(V::Add16(V::Mul16(V::UnpackHi8(d, z), iwhi), V::Mul16(V::UnpackHi8(s, z), whi)));
        return V::PackU16(lo, hi);
    }
    // (w × s) >> 8 per byte.
    static T Scale(T s, T wlo, T whi) {
        const T z = V::Zero();
        return V::PackU16(V::Shr16By8(V::Mul16(V::UnpackLo8(s, z), wlo)),
                          V::Shr16By8(V::Mul16(V::UnpackHi8(s, z), whi)));
    }
    // One weight per pixel (32-bit lanes, 0..255) to one per 16-bit channel lane.
    static void Spread(T w32, T& lo, T& hi) {
        const T w16 = V::Or(w32, V::Shl32By16(w32));
        lo = V::UnpackLo32(w16, w16);
        hi = V::UnpackHi32(w16, w16);
    }

    static void Run(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
        const T rgb = V::Set32(0x00FFFFFF);
        const T zero = V::Zero();
        const T ff = V::Set32(255);
        const T key = V::Set32(op.key & 0x00FFFFFF);
        const T colour = V::Set32(op.colour & 0x00FFFFFF);
        const T w16 = V::Set16(op.weight), iw16 = V::Set16(255 - op.weight);
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
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    V::Store(D(i), V::Select(V::CmpEq32(V::And(s, rgb), key), d, s));
                }
                break;
            case RowKind::Alpha:
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    T skip = zero;
                    if (op.use_key) skip = V::CmpEq32(V::And(s, rgb), key);
                    if (op.skip_equal) skip = V::Or(skip, V::CmpEq32(V::And(V::Xor(s, d), rgb), zero));
                    const T r = V::And(Mix(d, s, iw16, w16, iw16, w16), rgb);
                    V::Store(D(i), V::Select(skip, d, r));
                }
                break;
            case RowKind::Add:
                if (op.add8_plain) break;
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T r = V::And(V::AddSatU8(d, Scale(s, w16, w16)), rgb);
                    V::Store(D(i), op.use_key ? V::Select(V::CmpEq32(V::And(s, rgb), key), d, r) : r);
                }
                break;
            case RowKind::Mask:
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
                    T wlo, whi;
                    Spread(m, wlo, whi);
                    const T iv = V::Set16(255);
                    T r = V::And(Mix(d, s, V::Sub16(iv, wlo), wlo, V::Sub16(iv, whi), whi), rgb);
                    r = V::Select(V::CmpEq32(V::And(V::Xor(s, d), rgb), zero), d, r);
                    r = V::Select(m255, s, r);
                    V::Store(D(i), V::Select(m0, d, r));
                }
                break;
            case RowKind::MaskAlpha:
            case RowKind::MaskAdd:
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask32(mask + i);
                    const T m0 = V::CmpEq32(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    T wlo, whi;
                    Spread(V::Shr32By8(V::Mul16(m, weight32)), wlo, whi);
                    T r;
                    if (op.kind == RowKind::MaskAlpha) {
                        const T iv = V::Set16(255);
                        r = Mix(d, s, V::Sub16(iv, wlo), wlo, V::Sub16(iv, whi), whi);
                    } else {
                        r = V::AddSatU8(d, Scale(s, wlo, whi));
                    }
                    V::Store(D(i), V::Select(m0, d, V::And(r, rgb)));
                }
                break;
            case RowKind::FillAlpha:
                for (; i + N <= n; i += N) {
                    const T d = V::Load(D(i));
                    const T r = V::And(Mix(d, colour, iw16, w16, iw16, w16), rgb);
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
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask32(mask + i);
                    const T m0 = V::CmpEq32(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T d = V::Load(D(i));
                    T wlo, whi;
                    Spread(op.weight >= 255 ? m : V::Shr32By8(V::Mul16(m, weight32)), wlo, whi);
                    const T iv = V::Set16(255);
                    T r = V::And(Mix(d, colour, V::Sub16(iv, wlo), wlo, V::Sub16(iv, whi), whi), rgb);
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
