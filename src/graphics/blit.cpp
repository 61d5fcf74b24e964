#include "graphics/blit.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace mivo {

SurfaceLock::SurfaceLock(TCustomDIBX* s) : surface_(s) {
    if (!s) return;
    base_ = s->IsEmpty() ? nullptr : s->Lock(0, 0);
    pitch_ = s->GetPitch();
    bytes_ = s->GetStoredBitCount() / 8;
}

SurfaceLock::~SurfaceLock() {
    if (surface_ && base_) surface_->Unlock();
}

TRect Bounds(const TCustomDIBX& s) { return TRect{0, 0, s.GetWidth(), s.GetHeight()}; }

bool ClipCopy(const TRect& area, int64_t x, int64_t y, const TRect& src_rect, const TRect& src_bounds, bool flip_h,
              bool flip_v, BlitGeometry& g) {
    const TRect s = Intersect(src_rect, src_bounds);
    if (s.IsEmpty()) return false;
    const int64_t ox = x + (flip_h ? int64_t(src_rect.right) - s.right : int64_t(s.left) - src_rect.left);
    const int64_t oy = y + (flip_v ? int64_t(src_rect.bottom) - s.bottom : int64_t(s.top) - src_rect.top);
    const int64_t cl = std::max<int64_t>(ox, area.left), ct = std::max<int64_t>(oy, area.top);
    const int64_t cr = std::min<int64_t>(ox + s.Width(), area.right);
    const int64_t cb = std::min<int64_t>(oy + s.Height(), area.bottom);
    if (cr <= cl || cb <= ct) return false;
    g.dx = int32_t(cl);
    g.dy = int32_t(ct);
    g.w = int32_t(cr - cl);
    g.h = int32_t(cb - ct);
    g.sx = int32_t(flip_h ? s.right - (cr - ox) : s.left + (cl - ox));
    g.sy = int32_t(flip_v ? s.bottom - (cb - oy) : s.top + (ct - oy));
    g.flip_h = flip_h;
    g.flip_v = flip_v;
    return true;
}

RowOp MakeRowOp(const TCustomDIBX& dst, RowKind kind, uint32_t weight) {
    RowOp op;
    op.kind = kind;
    op.weight = weight;
    const PixelFormat f = dst.Format();
    op.channels = f.GetChannels();
    op.bytes = std::max(1, f.BytesPerPixel());
    return op;
}

bool RowOpForBlend(const TCustomDIBX& dst, int blend, bool with_mask, RowOp& op) {
    if (blend <= 0) return false;
    if (blend == 255) op = MakeRowOp(dst, with_mask ? RowKind::Mask : RowKind::Copy);
    else if (blend < 255) op = MakeRowOp(dst, with_mask ? RowKind::MaskAlpha : RowKind::Alpha, uint32_t(blend));
    else op = MakeRowOp(dst, with_mask ? RowKind::MaskAdd : RowKind::Add, uint32_t(std::min(blend - 256, 255)));
    return true;
}

namespace {

bool UsesSource(RowKind k) { return k <= RowKind::MaskAdd; }

// Destinations below 8 bits: plain copies through the pixel accessors.
void CopySubByte(TCustomDIBX& dst, TCustomDIBX& src, const BlitGeometry& g, const RowOp& op) {
    for (int32_t r = 0; r < g.h; ++r)
        for (int32_t c = 0; c < g.w; ++c) {
            const uint32_t s = src.GetPixel(g.SourceCol(c), g.SourceRow(r));
            if (op.use_key && s == op.key) continue;
            dst.SetPixel(g.dx + c, g.dy + r, s);
        }
}

void ReverseInto(std::vector<uint8_t>& out, const uint8_t* p, int32_t n, int bytes) {
    out.resize(size_t(n) * bytes);
    for (int32_t i = 0; i < n; ++i)
        std::copy_n(p + size_t(n - 1 - i) * bytes, bytes, out.data() + size_t(i) * bytes);
}

}  // namespace

void RunCopyOp(TCustomDIBX& dst, TCustomDIBX& source, TCustomDIBX* mask, int32_t x, int32_t y,
               const TRect& src_rect, bool flip_v, bool flip_h, const RowOp& op) {
    if (dst.IsEmpty() || source.IsEmpty()) return;
    const bool source_is_mask = !UsesSource(op.kind);
    if (source_is_mask ? source.GetBitCount() != 8 : source.GetBitCount() != dst.GetBitCount()) return;
    if (mask && (mask->GetBitCount() != 8 || mask->IsEmpty())) return;
    TRect bounds = Bounds(source);
    if (mask) bounds = Intersect(bounds, Bounds(*mask));
    BlitGeometry g;
    if (!ClipCopy(dst.DrawingArea(), x, y, src_rect, bounds, flip_h, flip_v, g)) return;
    if (dst.GetBitCount() < 8) {
        if (op.kind == RowKind::Copy) CopySubByte(dst, source, g, op);
        return;
    }
    SurfaceLock dl(&dst), sl(&source), ml(mask);
    if (!dl.Ok() || !sl.Ok() || !ml.Ok()) return;
    const int b = dl.Bytes();
    // Whole rows of one unbroken block onto another: a single move.
    const ptrdiff_t row_bytes = ptrdiff_t(g.w) * b;
    if (op.kind == RowKind::Copy && !op.use_key && !flip_h && !flip_v && &dst != &source &&
        dst.GetPitch() == source.GetPitch() && (dst.GetPitch() == row_bytes || dst.GetPitch() == -row_bytes) &&
        g.h > 1) {
        const ptrdiff_t up = dst.GetPitch() < 0 ? g.h - 1 : 0;  // the row lowest in memory
        std::memmove(dl.At(g.dx, int32_t(g.dy + up)), sl.At(g.sx, int32_t(g.sy + up)), size_t(row_bytes) * g.h);
        return;
    }
    const RowFn fn = PickRowFn(op);
    std::vector<uint8_t> src_row, mask_row;
    for (int32_t r = 0; r < g.h; ++r) {
        const int32_t sr = g.SourceRow(r);
        const uint8_t* sp = source_is_mask ? nullptr : sl.At(g.sx, sr);
        const uint8_t* mp = source_is_mask ? sl.Row(sr) + g.sx : mask ? ml.Row(sr) + g.sx : nullptr;
        if (flip_h) {
            if (sp) {
                ReverseInto(src_row, sp, g.w, b);
                sp = src_row.data();
            }
            if (mp) {
                ReverseInto(mask_row, mp, g.w, 1);
                mp = mask_row.data();
            }
        }
        fn(op, dl.At(g.dx, g.dy + r), sp, mp, g.w);
    }
}

namespace {

// One axis of a scaling operation after clipping: kept destination span and
// the 16.16 source position of its first pixel and step.
struct StretchAxis {
    int64_t d0 = 0, d1 = 0;  // kept destination span
    int64_t pos = 0, step = 0;
    int32_t s0 = 0, s1 = 0;  // source span that may be read
};

bool CutAxis(int64_t dl, int64_t dr, int32_t sl, int32_t sr, int32_t al, int32_t ar, bool flip, StretchAxis& a) {
    const int64_t dw = dr - dl, sw = int64_t(sr) - sl;
    if (dw < 1 || sw < 1) return false;
    const double scale = double(sw) / double(dw);
    a.d0 = std::max<int64_t>(dl, al);
    a.d1 = std::min<int64_t>(dr, ar);
    if (a.d1 <= a.d0) return false;
    const double cut = double(a.d0 - dl) * scale;
    const double frac = cut - std::trunc(cut);
    const int64_t near_edge = flip ? sr - int64_t(std::trunc(cut)) : sl + int64_t(std::trunc(cut));
    a.step = int64_t(std::trunc(scale * 65536.0));
    if (flip) {
        a.step = -a.step;
        a.pos = near_edge * 65536 - int64_t(std::trunc(frac * 65536.0)) - 1;
    } else {
        a.pos = near_edge * 65536 + int64_t(std::trunc(frac * 65536.0));
    }
    a.s0 = sl;
    a.s1 = sr;
    return true;
}

// out[c] = row[cols[c]] for pixels of b bytes; no column reaches limit.
void GatherRow(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int b, int32_t limit) {
    switch (b) {
        case 4:
            PickGatherRow32()(out, row, cols, w, limit);
            break;
        case 2:
            for (int32_t c = 0; c < w; ++c) std::memcpy(out + size_t(c) * 2, row + size_t(cols[c]) * 2, 2);
            break;
        case 1:
            for (int32_t c = 0; c < w; ++c) out[c] = row[cols[c]];
            break;
        default:
            for (int32_t c = 0; c < w; ++c) std::memcpy(out + size_t(c) * 3, row + size_t(cols[c]) * 3, 3);
            break;
    }
}

}  // namespace

void RunStretchOp(TCustomDIBX& dst, TCustomDIBX& source, TCustomDIBX* mask, const TRect& dest,
                  const TRect& src_rect, bool flip_v, bool flip_h, const RowOp& op) {
    if (dst.IsEmpty() || source.IsEmpty() || dst.GetBitCount() < 8) return;
    if (source.GetBitCount() != dst.GetBitCount()) return;
    if (mask && (mask->GetBitCount() != 8 || mask->IsEmpty())) return;
    TRect bounds = Bounds(source);
    if (mask) bounds = Intersect(bounds, Bounds(*mask));
    const TRect s = Intersect(src_rect, bounds);
    if (s.IsEmpty()) return;
    const TRect area = dst.DrawingArea();
    StretchAxis ax, ay;
    if (!CutAxis(dest.left, dest.right, s.left, s.right, area.left, area.right, flip_h, ax)) return;
    if (!CutAxis(dest.top, dest.bottom, s.top, s.bottom, area.top, area.bottom, flip_v, ay)) return;
    SurfaceLock dl(&dst), sl(&source), ml(mask);
    if (!dl.Ok() || !sl.Ok() || !ml.Ok()) return;
    const int b = dl.Bytes();
    const int32_t w = int32_t(ax.d1 - ax.d0);
    // Source column of every destination column of the span, built once.
    std::vector<int32_t> cols(static_cast<size_t>(w));
    int64_t p = ax.pos;
    for (int32_t c = 0; c < w; ++c, p += ax.step)
        cols[size_t(c)] = int32_t(std::clamp<int64_t>(p >> 16, ax.s0, ax.s1 - 1));
    std::vector<uint8_t> src_row(size_t(w) * b), mask_row(mask ? size_t(w) : 0);
    const RowFn fn = PickRowFn(op);
    // A plain copy gathers straight into the destination and repeats the
    // previous row when the source row is the same.
    const bool direct = op.kind == RowKind::Copy && !op.use_key;
    int64_t py = ay.pos, last_sr = -1;
    for (int64_t y = ay.d0; y < ay.d1; ++y, py += ay.step) {
        const int64_t sr = py >> 16;
        if (sr < ay.s0 || sr >= ay.s1) continue;
        uint8_t* out = dl.At(int32_t(ax.d0), int32_t(y));
        if (direct && sr == last_sr && y > ay.d0) {
            std::memcpy(out, dl.At(int32_t(ax.d0), int32_t(y - 1)), size_t(w) * b);
            continue;
        }
        last_sr = sr;
        uint8_t* gathered = direct ? out : src_row.data();
        GatherRow(gathered, sl.Row(int32_t(sr)), cols.data(), w, b, ax.s1);
        if (mask) GatherRow(mask_row.data(), ml.Row(int32_t(sr)), cols.data(), w, 1, ax.s1);
        if (!direct) fn(op, out, src_row.data(), mask ? mask_row.data() : nullptr, w);
    }
}

}  // namespace mivo
