// The plain per-pixel loop: the definition of every blend result.
#include "graphics/blend_row.hpp"

#include <cstring>

namespace mivo {

uint32_t BlendPixel(const RowOp& op, uint32_t d, uint32_t s, uint32_t m) {
    const Channels& ch = op.channels;
    const uint32_t all = ch.all;
    switch (op.kind) {
        case RowKind::Copy:
            if (op.use_key && (s & all) == (op.key & all)) return d;
            return s;
        case RowKind::Alpha:
            if (op.use_key && (s & all) == (op.key & all)) return d;
            if (op.skip_equal && ((s ^ d) & all) == 0) return d;
            return ChannelAlpha(ch, d, s, op.weight);
        case RowKind::Add:
            if (op.use_key && (s & all) == (op.key & all)) return d;
            if (op.add8_plain) return std::min<uint32_t>((d & 0xFF) + (s & 0xFF), 255);
            return ChannelAdd(ch, d, s, op.weight);
        case RowKind::Mask:
            if (m == 0) return d;
            if (m == 255) return s;
            if (((s ^ d) & all) == 0) return d;
            return ChannelAlpha(ch, d, s, m);
        case RowKind::MaskAlpha:
            if (m == 0) return d;
            return ChannelAlpha(ch, d, s, (op.weight * m) >> 8);
        case RowKind::MaskAdd:
            if (m == 0) return d;
            return ChannelAdd(ch, d, s, (op.weight * m) >> 8);
        case RowKind::FillAlpha:
            if (((op.colour ^ d) & all) == 0) return d;
            return ChannelAlpha(ch, d, op.colour, op.weight);
        case RowKind::AddColor: return ChannelAdd(ch, d, op.colour, 256);
        case RowKind::SubColor: return ChannelSub(ch, d, op.colour);
        case RowKind::ColorMask: {
            if (m == 0) return d;
            if (((op.colour ^ d) & all) == 0) return d;
            const uint32_t w = op.weight >= 255 ? m : (op.weight * m) >> 8;
            return ChannelAlpha(ch, d, op.colour, w);
        }
    }
    return d;
}

namespace {

template <int B>
inline uint32_t Load(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 0; i < B; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

template <int B>
inline void Store(uint8_t* p, uint32_t v) {
    for (int i = 0; i < B; ++i) p[i] = uint8_t(v >> (8 * i));
}

template <int B>
void RowLoop(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    const bool has_src = op.kind <= RowKind::MaskAdd;
    const bool has_mask = op.kind == RowKind::Mask || op.kind == RowKind::MaskAlpha ||
                          op.kind == RowKind::MaskAdd || op.kind == RowKind::ColorMask;
    for (int i = 0; i < n; ++i) {
        const uint32_t d = Load<B>(dst + size_t(i) * B);
        const uint32_t s = has_src ? Load<B>(src + size_t(i) * B) : 0;
        const uint32_t m = has_mask ? mask[i] : 0;
        const uint32_t r = BlendPixel(op, d, s, m);
        if (r != d) Store<B>(dst + size_t(i) * B, r);
    }
}

}  // namespace

void BlendRowReference(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n) {
    switch (op.bytes) {
        case 1: RowLoop<1>(op, dst, src, mask, n); break;
        case 2: RowLoop<2>(op, dst, src, mask, n); break;
        case 3: RowLoop<3>(op, dst, src, mask, n); break;
        default: RowLoop<4>(op, dst, src, mask, n); break;
    }
}

void GatherRow32Reference(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int32_t) {
    for (int32_t c = 0; c < w; ++c) std::memcpy(out + size_t(c) * 4, row + size_t(cols[c]) * 4, 4);
}

}  // namespace mivo
