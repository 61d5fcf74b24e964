// The packed loop for 16-bit rows (5-6-5 and 5-5-5), written once over the
// vector traits V. Each pixel's channels are taken apart into 16-bit lanes,
// blended by the reference rule (every product fits 16 bits) and put back;
// results of blends have the unused top bit of 5-5-5 pixels clear, as the
// reference gives them.
#include <cstring>

#include "graphics/blend_row.hpp"

namespace mivo {
namespace {

template <class V, int RedShift, uint16_t RedMax, uint16_t GreenMax>
struct Packed16 {
    using T = typename V::T;
    static constexpr int N = V::kPixels * 2;

    struct Split {
        T r, g, b;
    };
    static Split Take(T p) {
        return {V::And(V::template Shr16<RedShift>(p), V::Set16(RedMax)), V::And(V::template Shr16<5>(p), V::Set16(GreenMax)),
                V::And(p, V::Set16(31))};
    }
    static T Join(const Split& c) {
        return V::Or(V::Or(V::template Shl16<RedShift>(c.r), V::template Shl16<5>(c.g)), c.b);
    }
    // ((255 − w) × d + w × s) >> 8 per channel.
    static T MixOne(T d, T s, T w, T iw) { return V::template Shr16<8>(V::Add16(V::Mul16(d, iw), V::Mul16(s, w))); }
    static T Mix(T d, T s, T w) {
        const T iw = V::Sub16(V::Set16(255), w);
        const Split a = Take(d), b = Take(s);
        return Join({MixOne(a.r, b.r, w, iw), MixOne(a.g, b.g, w, iw), MixOne(a.b, b.b, w, iw)});
    }
    // d + ((w × s) >> 8) per channel, at most the channel's maximum; w may be 256.
    static T AddOne(T d, T s, T w, uint16_t max) {
        return V::Min16(V::Add16(d, V::template Shr16<8>(V::Mul16(s, w))), V::Set16(max));
    }
    static T Add(T d, T s, T w) {
        const Split a = Take(d), b = Take(s);
        return Join({AddOne(a.r, b.r, w, RedMax), AddOne(a.g, b.g, w, GreenMax), AddOne(a.b, b.b, w, 31)});
    }
    static T Sub(T d, T s) {
        const Split a = Take(d), b = Take(s);
        return Join({V::SubSatU16(a.r, b.r), V::SubSatU16(a.g, b.g), V::SubSatU16(a.b, b.b)});
    }

    static void Run(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
        const T all = V::Set16(uint16_t(op.channels.all));
        const T zero = V::Zero();
        const T ff = V::Set16(255);
        const T key = V::Set16(uint16_t(op.key & op.channels.all));
        const T colour = V::Set16(uint16_t(op.colour & op.channels.all));
        const T weight = V::Set16(op.weight);
        auto D = [&](int k) { return dst + size_t(k) * 2; };
        auto S = [&](int k) { return src + size_t(k) * 2; };
        auto equal = [&](T a, T b) { return V::CmpEq16(V::And(V::Xor(a, b), all), zero); };
        int i = 0;
        switch (op.kind) {
            case RowKind::Copy:
                if (!op.use_key) {
                    std::memmove(dst, src, size_t(n) * 2);
                    return;
                }
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    V::Store(D(i), V::Select(V::CmpEq16(V::And(s, all), key), d, s));
                }
                break;
            case RowKind::Alpha:
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    T skip = zero;
                    if (op.use_key) skip = V::CmpEq16(V::And(s, all), key);
                    if (op.skip_equal) skip = V::Or(skip, equal(s, d));
                    V::Store(D(i), V::Select(skip, d, Mix(d, s, weight)));
                }
                break;
            case RowKind::Add:
                if (op.add8_plain) break;
                for (; i + N <= n; i += N) {
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T r = Add(d, s, weight);
                    V::Store(D(i), op.use_key ? V::Select(V::CmpEq16(V::And(s, all), key), d, r) : r);
                }
                break;
            case RowKind::Mask:
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask16(mask + i);
                    const T m0 = V::CmpEq16(m, zero), m255 = V::CmpEq16(m, ff);
                    if (V::AllSet(m0)) continue;
                    const T s = V::Load(S(i));
                    if (V::AllSet(m255)) {
                        V::Store(D(i), s);
                        continue;
                    }
                    const T d = V::Load(D(i));
                    const T keep = V::Or(m0, equal(s, d));
                    V::Store(D(i), V::Select(m255, s, V::Select(keep, d, Mix(d, s, m))));
                }
                break;
            case RowKind::MaskAlpha:
            case RowKind::MaskAdd:
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask16(mask + i);
                    const T m0 = V::CmpEq16(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T s = V::Load(S(i)), d = V::Load(D(i));
                    const T w = V::template Shr16<8>(V::Mul16(m, weight));
                    const T r = op.kind == RowKind::MaskAlpha ? Mix(d, s, w) : Add(d, s, w);
                    V::Store(D(i), V::Select(m0, d, r));
                }
                break;
            case RowKind::FillAlpha:
                for (; i + N <= n; i += N) {
                    const T d = V::Load(D(i));
                    V::Store(D(i), V::Select(equal(colour, d), d, Mix(d, colour, weight)));
                }
                break;
            case RowKind::AddColor:
                for (; i + N <= n; i += N) V::Store(D(i), Add(V::Load(D(i)), colour, V::Set16(256)));
                break;
            case RowKind::SubColor:
                for (; i + N <= n; i += N) V::Store(D(i), Sub(V::Load(D(i)), colour));
                break;
            case RowKind::ColorMask:
                for (; i + N <= n; i += N) {
                    const T m = V::LoadMask16(mask + i);
                    const T m0 = V::CmpEq16(m, zero);
                    if (V::AllSet(m0)) continue;
                    const T d = V::Load(D(i));
                    const T w = op.weight >= 255 ? m : V::template Shr16<8>(V::Mul16(m, weight));
                    V::Store(D(i), V::Select(V::Or(m0, equal(colour, d)), d, Mix(d, colour, w)));
                }
                break;
        }
        if (i < n) BlendRowReference(op, D(i), src ? S(i) : nullptr, mask ? mask + i : nullptr, n - i);
    }
};

// 5-6-5 or 5-5-5 by the op's red mask.
template <class V>
void RunPacked16(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    if (op.channels.mask[0] == 0xF800) Packed16<V, 11, 31, 63>::Run(op, dst, src, mask, n);
    else Packed16<V, 10, 31, 31>::Run(op, dst, src, mask, n);
}

}  // namespace
}  // namespace mivo
