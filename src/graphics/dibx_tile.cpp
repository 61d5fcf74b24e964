// Tiles (a source repeated with gaps) and wrap-around patterns.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/blit.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

namespace {

int64_t Mod(int64_t a, int64_t m) {
    const int64_t r = a % m;
    return r < 0 ? r + m : r;
}

// Places tiles of tile_w × tile_h with the gaps over dest, starting with the
// tile part at phase (offset_x, offset_y), and calls draw(x, y) for each tile
// that meets the drawing area. The drawing area is narrowed to dest for the
// call and restored afterwards.
template <class DrawTile>
void ForEachTile(TCustomDIBX& dst, const TRect& dest, int gap_x, int gap_y, int32_t offset_x, int32_t offset_y,
                 int64_t tile_w, int64_t tile_h, const DrawTile& draw) {
    if (tile_w <= 0 || tile_h <= 0) return;
    const TRect clip = Intersect(dest, dst.DrawingArea());
    if (clip.IsEmpty()) return;
    // A gap may be negative (overlapping tiles) but the period stays at least 1.
    const int64_t period_x = std::max<int64_t>(1, tile_w + gap_x), period_y = std::max<int64_t>(1, tile_h + gap_y);
    auto first = [](int64_t base, int64_t lo, int64_t tile, int64_t period) {
        if (lo - tile < base) return base;
        return base + ((lo - tile - base) / period) * period;
    };
    const int64_t x0 = first(int64_t(dest.left) - Mod(offset_x, tile_w), clip.left, tile_w, period_x);
    const int64_t y0 = first(int64_t(dest.top) - Mod(offset_y, tile_h), clip.top, tile_h, period_y);
    const TRect saved = dst.ClipRect;
    dst.ClipRect = clip;
    for (int64_t ty = y0; ty < clip.bottom; ty += period_y)
        for (int64_t tx = x0; tx < clip.right; tx += period_x)
            if (tx + tile_w > clip.left && ty + tile_h > clip.top) draw(int32_t(tx), int32_t(ty));
    dst.ClipRect = saved;
}

// One axis of a pattern: 16.16 phase and step over a source span of n pixels.
struct PatternAxis {
    int64_t phase = 0, step = 0, period = 0;
    int64_t At(int64_t i) const { return Mod(phase + i * step, period) >> 16; }
};

PatternAxis MakePatternAxis(int64_t offset, int64_t n, int zoom, bool flip) {
    PatternAxis a;
    a.period = n * 65536;
    a.step = std::min<int64_t>(int64_t(16777216) / zoom, a.period);
    const double zoomed = double(n) * zoom / 256.0;
    const double q = double(offset) / zoomed;
    double phase = (q - std::trunc(q)) * double(n);
    if (offset < 0) phase += double(n);
    if (flip) {
        phase = double(n) - phase;
        a.step = -a.step;
    }
    if (phase >= double(n)) phase -= double(n);
    a.phase = int64_t(std::nearbyint(phase * 65536.0));
    return a;
}

void RunPattern(TCustomDIBX& dst, const TRect& dest, TCustomDIBX& source, TCustomDIBX* mask, bool flip_v,
                bool flip_h, int32_t offset_y, int32_t offset_x, int zoom_x, int zoom_y, const TRect& src_rect,
                const RowOp& op) {
    if (zoom_x <= 0 || zoom_y <= 0 || dst.IsEmpty() || source.IsEmpty() || dst.GetBitCount() < 8) return;
    if (source.GetBitCount() != dst.GetBitCount()) return;
    if (mask && (mask->GetBitCount() != 8 || mask->IsEmpty())) return;
    TRect bounds = Bounds(source);
    if (mask) bounds = Intersect(bounds, Bounds(*mask));
    const TRect s = Intersect(src_rect, bounds);
    const TRect c = Intersect(dest, dst.DrawingArea());
    if (s.IsEmpty() || c.IsEmpty()) return;
    // The cut advances the offsets, so the pattern stays anchored to dest.
    const PatternAxis ax = MakePatternAxis(int64_t(offset_x) + (c.left - dest.left), s.Width(), zoom_x, flip_h);
    const PatternAxis ay = MakePatternAxis(int64_t(offset_y) + (c.top - dest.top), s.Height(), zoom_y, flip_v);
    SurfaceLock dl(&dst), sl(&source), ml(mask);
    if (!dl.Ok() || !sl.Ok() || !ml.Ok()) return;
    const int b = dl.Bytes();
    const int32_t w = int32_t(c.Width());
    std::vector<int32_t> cols(static_cast<size_t>(w));
    for (int32_t i = 0; i < w; ++i) cols[size_t(i)] = s.left + int32_t(ax.At(i));
    std::vector<uint8_t> src_row(size_t(w) * b), mask_row(mask ? size_t(w) : 0);
    const RowFn fn = PickRowFn(op);
    for (int32_t y = c.top; y < c.bottom; ++y) {
        const int32_t sr = s.top + int32_t(ay.At(y - c.top));
        const uint8_t* row = sl.Row(sr);
        for (int32_t i = 0; i < w; ++i) std::copy_n(row + size_t(cols[size_t(i)]) * b, b, src_row.data() + size_t(i) * b);
        if (mask) {
            const uint8_t* mrow = ml.Row(sr);
            for (int32_t i = 0; i < w; ++i) mask_row[size_t(i)] = mrow[cols[size_t(i)]];
        }
        fn(op, dl.At(c.left, y), src_row.data(), mask ? mask_row.data() : nullptr, w);
    }
}

}  // namespace

void TCustomDIBX::TileDraw(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, bool flip_v,
                           bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source, int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { Draw(x, y, flip_v, flip_h, use_key, src_rect, source); });
}

void TCustomDIBX::TileDrawAlpha(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int alpha,
                                bool flip_v, bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source,
                                int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { DrawAlpha(x, y, alpha, flip_v, flip_h, use_key, src_rect, source); });
}

void TCustomDIBX::TileDrawAdd(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int amount,
                              bool flip_v, bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source,
                              int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { DrawAdd(x, y, amount, flip_v, flip_h, use_key, src_rect, source); });
}

void TCustomDIBX::TileDrawMask(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, TCustomDIBX& mask,
                               bool flip_v, bool flip_h, const TRect& src_rect, TCustomDIBX& source, int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { DrawMask(x, y, mask, flip_v, flip_h, src_rect, source); });
}

void TCustomDIBX::TileDrawMaskAlpha(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int alpha,
                                    TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect,
                                    TCustomDIBX& source, int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { DrawMaskAlpha(x, y, alpha, mask, flip_v, flip_h, src_rect, source); });
}

void TCustomDIBX::TileDrawMaskAdd(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int amount,
                                  TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect,
                                  TCustomDIBX& source, int gap_y) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, src_rect.Width(), src_rect.Height(),
                [&](int32_t x, int32_t y) { DrawMaskAdd(x, y, amount, mask, flip_v, flip_h, src_rect, source); });
}

void TCustomDIBX::TileStretch(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int blend,
                              bool flip_v, bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source,
                              int gap_y, int32_t tile_w, int32_t tile_h) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, tile_w, tile_h, [&](int32_t x, int32_t y) {
        const TRect r = MakeRect(x, y, tile_w, tile_h);
        if (blend > 255) StretchDrawAdd(r, source, blend - 256, flip_v, flip_h, use_key, src_rect);
        else StretchDraw(r, source, blend, flip_v, flip_h, use_key, src_rect);
    });
}

void TCustomDIBX::TileStretchMask(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int blend,
                                  TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect,
                                  TCustomDIBX& source, int gap_y, int32_t tile_w, int32_t tile_h) {
    ForEachTile(*this, dest, gap_x, gap_y, offset_x, offset_y, tile_w, tile_h, [&](int32_t x, int32_t y) {
        const TRect r = MakeRect(x, y, tile_w, tile_h);
        if (blend > 255) StretchDrawMaskAdd(r, source, blend - 256, mask, flip_v, flip_h, src_rect);
        else StretchDrawMask(r, source, blend, mask, flip_v, flip_h, src_rect);
    });
}

void TCustomDIBX::PatternCopy(const TRect& dest, TCustomDIBX& source, bool flip_v, bool flip_h, int32_t offset_y,
                              int32_t offset_x) {
    RunPattern(*this, dest, source, nullptr, flip_v, flip_h, offset_y, offset_x, 256, 256, Bounds(source),
               MakeRowOp(*this, RowKind::Copy));
}

void TCustomDIBX::PatternDraw(const TRect& dest, int zoom_x, int blend, bool flip_v, bool flip_h, bool use_key,
                              int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y) {
    RowOp op;
    if (!RowOpForBlend(*this, blend, false, op)) return;
    op.use_key = use_key && source.TransparentColor != -1;
    op.key = uint32_t(source.TransparentColor);
    RunPattern(*this, dest, source, nullptr, flip_v, flip_h, offset_y, offset_x, zoom_x, zoom_y, Bounds(source), op);
}

void TCustomDIBX::PatternDrawMask(const TRect& dest, int zoom_x, int blend, TCustomDIBX& mask, bool flip_v,
                                  bool flip_h, int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y) {
    RowOp op;
    if (!RowOpForBlend(*this, blend, true, op)) return;
    RunPattern(*this, dest, source, &mask, flip_v, flip_h, offset_y, offset_x, zoom_x, zoom_y, Bounds(source), op);
}

void TCustomDIBX::PatternFrame(const TRect& r, int width, bool flip_v, bool flip_h, int32_t offset_y,
                               int32_t offset_x, const TRect& src_rect, TCustomDIBX& source) {
    if (width <= 0 || r.IsEmpty()) return;
    const RowOp op = MakeRowOp(*this, RowKind::Copy);
    const int32_t top_end = int32_t(std::min<int64_t>(int64_t(r.top) + width, r.bottom));
    const int32_t bottom_start = int32_t(std::max<int64_t>(int64_t(r.bottom) - width, r.top));
    const int32_t left_end = int32_t(std::min<int64_t>(int64_t(r.left) + width, r.right));
    const int32_t right_start = int32_t(std::max<int64_t>(int64_t(r.right) - width, r.left));
    for (const TRect& band : {TRect{r.left, r.top, r.right, top_end}, TRect{r.left, bottom_start, r.right, r.bottom},
                              TRect{r.left, r.top, left_end, r.bottom}, TRect{right_start, r.top, r.right, r.bottom}})
        RunPattern(*this, band, source, nullptr, flip_v, flip_h, int32_t(offset_y + (band.top - r.top)),
                   int32_t(offset_x + (band.left - r.left)), 256, 256, src_rect, op);
}

}  // namespace mivo
