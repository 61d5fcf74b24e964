// Glyph and indexed sources: supersampled 1-bit and multi-colour glyphs,
// 4-bit and 8-bit indices through colour tables.
#include <algorithm>
#include <array>

#include "graphics/blit.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

namespace {

// Calls fn(dest row pointer, dest x, source x, source y) for every pixel of a
// clipped copy-type operation from `source` (any bit count) onto dst (8 bits
// or more).
template <class Fn>
void ForEachPixel(TCustomDIBX& dst, TCustomDIBX& source, int32_t x, int32_t y, const TRect& src_rect, bool flip_v,
                  bool flip_h, const Fn& fn) {
    if (dst.IsEmpty() || source.IsEmpty() || dst.GetBitCount() < 8) return;
    BlitGeometry g;
    if (!ClipCopy(dst.DrawingArea(), x, y, src_rect, Bounds(source), flip_h, flip_v, g)) return;
    SurfaceLock dl(&dst), sl(&source);
    if (!dl.Ok() || !sl.Ok()) return;
    for (int32_t r = 0; r < g.h; ++r) {
        uint8_t* drow = dl.Row(g.dy + r);
        const uint8_t* srow = sl.Row(g.SourceRow(r));
        for (int32_t c = 0; c < g.w; ++c) fn(drow, g.dx + c, srow, g.SourceCol(c));
    }
}

// Supersampled sources: one destination pixel per factor × factor block of
// the source rectangle. count(block column, block row, counts) fills the ink
// count per colour; the pixel mixes the inks over the destination by their
// share of the block.
template <class Count>
void DrawSupersampled(TCustomDIBX& dst, TCustomDIBX& source, int32_t x, int32_t y, int factor, int alpha,
                      bool flip_v, bool flip_h, const TRect& src_rect, const std::vector<uint32_t>& colours,
                      const Count& count) {
    if (factor < 1 || factor > 16 || alpha <= 0 || dst.IsEmpty() || source.IsEmpty() || dst.GetBitCount() < 8)
        return;
    const TRect s = Intersect(src_rect, Bounds(source));
    if (s.IsEmpty()) return;
    const TRect blocks{0, 0, int32_t(s.Width() / factor), int32_t(s.Height() / factor)};
    BlitGeometry g;
    if (!ClipCopy(dst.DrawingArea(), x, y, blocks, blocks, flip_h, flip_v, g)) return;
    SurfaceLock dl(&dst), sl(&source);
    if (!dl.Ok() || !sl.Ok()) return;
    const Channels ch = dst.Format().GetChannels();
    const int bits = dst.GetStoredBitCount();
    const uint32_t area = uint32_t(factor * factor);
    std::vector<uint32_t> counts(colours.size());
    for (int32_t r = 0; r < g.h; ++r) {
        uint8_t* drow = dl.Row(g.dy + r);
        const int32_t sy0 = s.top + g.SourceRow(r) * factor;
        for (int32_t c = 0; c < g.w; ++c) {
            const int32_t sx0 = s.left + g.SourceCol(c) * factor;
            std::fill(counts.begin(), counts.end(), 0u);
            count(sl, sx0, sy0, counts);
            uint32_t inked = 0;
            for (uint32_t& n : counts) {
                if (alpha < 255) n = (uint32_t(alpha) * n) >> 8;
                inked += n;
            }
            if (inked == 0) continue;
            const uint32_t d = LoadPixel(drow, g.dx + c, bits);
            uint32_t out = 0;
            for (int i = 0; i < ch.count; ++i) {
                const uint64_t m = ch.mask[i];
                uint64_t sum = (d & m) * (area - inked);
                for (size_t k = 0; k < colours.size(); ++k) sum += (colours[k] & m) * counts[k];
                out |= uint32_t((sum / area) & m);
            }
            StorePixel(drow, g.dx + c, bits, out);
        }
    }
}

}  // namespace

void TCustomDIBX::DrawMono(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h, uint32_t colour,
                           const TRect& src_rect, TCustomDIBX& source) {
    if (source.GetBitCount() != 1) return;
    DrawSupersampled(*this, source, x, y, factor, alpha, flip_v, flip_h, src_rect, {colour},
                     [factor](const SurfaceLock& sl, int32_t sx0, int32_t sy0, std::vector<uint32_t>& counts) {
                         uint32_t zeros = 0;
                         for (int32_t v = 0; v < factor; ++v) {
                             const uint8_t* row = sl.Row(sy0 + v);
                             for (int32_t u = 0; u < factor; ++u) zeros += LoadPixel(row, sx0 + u, 1) == 0;
                         }
                         counts[0] = zeros;
                     });
}

void TCustomDIBX::DrawMonoColors(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h,
                                 const std::vector<uint32_t>& colours, const TRect& src_rect, TCustomDIBX& source) {
    if (source.GetBitCount() != 8 || colours.empty()) return;
    DrawSupersampled(*this, source, x, y, factor, alpha, flip_v, flip_h, src_rect, colours,
                     [factor](const SurfaceLock& sl, int32_t sx0, int32_t sy0, std::vector<uint32_t>& counts) {
                         for (int32_t v = 0; v < factor; ++v) {
                             const uint8_t* row = sl.Row(sy0 + v) + sx0;
                             for (int32_t u = 0; u < factor; ++u)
                                 if (row[u] != 0 && row[u] <= counts.size()) ++counts[row[u] - 1u];
                         }
                     });
}

void TCustomDIBX::DrawNibbles(int32_t x, int32_t y, const uint32_t* table16, int blend, bool flip_v, bool flip_h,
                              const TRect& src_rect, TCustomDIBX& source) {
    if (blend <= 0 || !table16 || source.GetBitCount() != 4) return;
    const RowOp base = MakeRowOp(*this, RowKind::Copy);
    const Channels ch = base.channels;
    const int bits = GetStoredBitCount();
    const int32_t key = source.TransparentColor;
    ForEachPixel(*this, source, x, y, src_rect, flip_v, flip_h,
                 [&](uint8_t* drow, int32_t dx, const uint8_t* srow, int32_t sx) {
                     const uint32_t index = LoadPixel(srow, sx, 4);
                     if (int32_t(index) == key) return;
                     const uint32_t colour = table16[index];
                     const uint32_t d = LoadPixel(drow, dx, bits);
                     uint32_t r;
                     if (blend == 255) {
                         r = colour;
                     } else if (blend >= 256) {
                         if ((colour & ch.all) == 0 || (d & ch.all) == ch.all) return;
                         r = ChannelAdd(ch, d, colour, uint32_t(blend & 255));
                     } else {
                         if (((colour ^ d) & ch.all) == 0) return;
                         r = ChannelAlpha(ch, d, colour, uint32_t(blend));
                     }
                     StorePixel(drow, dx, bits, r);
                 });
}

void TCustomDIBX::DrawIndexedAdd(int32_t x, int32_t y, const uint32_t* table256, int amount, bool flip_v,
                                 bool flip_h, const TRect& src_rect, TCustomDIBX& source) {
    if (amount <= 0 || !table256 || source.GetBitCount() != 8) return;
    const Channels ch = Format().GetChannels();
    const int bits = GetStoredBitCount();
    const int32_t key = source.TransparentColor;
    const uint32_t w = uint32_t(std::min(amount, 255));
    ForEachPixel(*this, source, x, y, src_rect, flip_v, flip_h,
                 [&](uint8_t* drow, int32_t dx, const uint8_t* srow, int32_t sx) {
                     const uint32_t index = srow[sx];
                     if (int32_t(index) <= key) return;
                     StorePixel(drow, dx, bits, ChannelAdd(ch, LoadPixel(drow, dx, bits), table256[index], w));
                 });
}

void TCustomDIBX::StretchIndexed(const TRect& dest, TCustomDIBX& source, const uint32_t* table256, int amount,
                                 bool flip_v, bool flip_h, const TRect& src_rect) {
    if (amount <= 0 || !table256 || source.GetBitCount() != 8 || GetBitCount() < 8) return;
    const TRect s = Intersect(src_rect, Bounds(source));
    if (s.IsEmpty()) return;
    // The indices become colours of this surface's format (0 where an index
    // is not drawn: adding 0 changes nothing), then scale additively.
    TDIBX colours(int32_t(s.Width()), int32_t(s.Height()), GetBitCount());
    const int32_t key = source.TransparentColor;
    for (int32_t v = 0; v < s.Height(); ++v)
        for (int32_t u = 0; u < s.Width(); ++u) {
            const uint32_t index = source.GetPixel(s.left + u, s.top + v);
            colours.SetPixel(u, v, int32_t(index) > key ? table256[index] : 0);
        }
    StretchDrawAdd(dest, colours, amount, flip_v, flip_h, false, Bounds(colours));
}

}  // namespace mivo
