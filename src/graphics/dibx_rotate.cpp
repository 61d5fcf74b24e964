// Rotation and zoom about a pivot, by inverse mapping in 16.16 fixed point.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/blit.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

namespace {

void RunRotate(TCustomDIBX& dst, int32_t x, int32_t y, int blend, TCustomDIBX* mask, bool flip_v, bool flip_h,
               bool use_key, int angle, int32_t pivot_y, int32_t pivot_x, const TRect& src_rect,
               TCustomDIBX& source, int zoom_y, int zoom_x) {
    if (zoom_x <= 0 || zoom_y <= 0 || dst.IsEmpty() || source.IsEmpty()) return;
    if (dst.GetBitCount() < 8 || source.GetBitCount() != dst.GetBitCount()) return;
    if (mask && (mask->GetBitCount() != 8 || mask->IsEmpty())) return;
    RowOp op;
    if (!RowOpForBlend(dst, blend, mask != nullptr, op)) return;
    TRect bounds = Bounds(source);
    if (mask) bounds = Intersect(bounds, Bounds(*mask));
    const TRect s = Intersect(src_rect, bounds);
    if (s.IsEmpty()) return;
    const int64_t sw = s.Width(), sh = s.Height();

    const double theta = double(angle & 255) * 2.0 * std::numbers::pi / 256.0;
    const double c = std::cos(theta), sn = std::sin(theta);
    const double zx = zoom_x / 256.0, zy = zoom_y / 256.0;
    // Bounding box of the four transformed corners of the scaled source.
    double min_x = 1e300, min_y = 1e300, max_x = -1e300, max_y = -1e300;
    for (double cx : {0.0, sw * zx - 1.0})
        for (double cy : {0.0, sh * zy - 1.0}) {
            const double rx = cx - pivot_x * zx, ry = cy - pivot_y * zy;
            const double tx = x + rx * c - ry * sn, ty = y + rx * sn + ry * c;
            min_x = std::min(min_x, tx), max_x = std::max(max_x, tx);
            min_y = std::min(min_y, ty), max_y = std::max(max_y, ty);
        }
    const TRect area = dst.DrawingArea();
    auto clamp_to = [](double v, int32_t lo, int32_t hi) {
        return int32_t(std::clamp(std::trunc(v), double(lo), double(hi)));
    };
    const TRect box{clamp_to(min_x, area.left, area.right), clamp_to(min_y, area.top, area.bottom),
                    clamp_to(max_x + 1, area.left, area.right), clamp_to(max_y + 1, area.top, area.bottom)};
    if (box.IsEmpty()) return;

    const int64_t dux = int64_t(std::trunc(c / zx * 65536.0)), dvx = int64_t(std::trunc(-sn / zy * 65536.0));
    const int64_t duy = int64_t(std::trunc(sn / zx * 65536.0)), dvy = int64_t(std::trunc(c / zy * 65536.0));
    int64_t row_u = int64_t(pivot_x) * 65536 + (int64_t(box.left) - x) * dux + (int64_t(box.top) - y) * duy;
    int64_t row_v = int64_t(pivot_y) * 65536 + (int64_t(box.left) - x) * dvx + (int64_t(box.top) - y) * dvy;

    SurfaceLock dl(&dst), sl(&source), ml(mask);
    if (!dl.Ok() || !sl.Ok() || !ml.Ok()) return;
    const int bits = dst.GetStoredBitCount();
    const bool keyed = use_key && source.TransparentColor != -1 && !mask;
    const uint32_t key = uint32_t(source.TransparentColor) & op.channels.all;
    for (int32_t py = box.top; py < box.bottom; ++py, row_u += duy, row_v += dvy) {
        int64_t u = row_u, v = row_v;
        uint8_t* drow = dl.Row(py);
        for (int32_t px = box.left; px < box.right; ++px, u += dux, v += dvx) {
            if (u < 0 || v < 0) continue;
            const int64_t iu = u >> 16, iv = v >> 16;
            if (iu >= sw || iv >= sh) continue;
            const int32_t sc = int32_t(flip_h ? s.right - 1 - iu : s.left + iu);
            const int32_t sr = int32_t(flip_v ? s.bottom - 1 - iv : s.top + iv);
            const uint32_t sp = LoadPixel(sl.Row(sr), sc, bits);
            if (keyed && (sp & op.channels.all) == key) continue;
            const uint32_t m = mask ? ml.Row(sr)[sc] : 0;
            const uint32_t d = LoadPixel(drow, px, bits);
            const uint32_t r = BlendPixel(op, d, sp, m);
            if (r != d) StorePixel(drow, px, bits, r);
        }
    }
}

}  // namespace

void TCustomDIBX::DrawRotate(int32_t x, int32_t y, int blend, bool flip_v, bool flip_h, bool use_key, int angle,
                             int32_t pivot_y, int32_t pivot_x, const TRect& src_rect, TCustomDIBX& source,
                             int zoom_y, int zoom_x) {
    RunRotate(*this, x, y, blend, nullptr, flip_v, flip_h, use_key, angle, pivot_y, pivot_x, src_rect, source,
              zoom_y, zoom_x);
}

void TCustomDIBX::DrawRotateMask(int32_t x, int32_t y, int blend, TCustomDIBX& mask, bool flip_v, bool flip_h,
                                 int angle, int32_t pivot_y, int32_t pivot_x, const TRect& src_rect,
                                 TCustomDIBX& source, int zoom_y, int zoom_x) {
    RunRotate(*this, x, y, blend, &mask, flip_v, flip_h, false, angle, pivot_y, pivot_x, src_rect, source, zoom_y,
              zoom_x);
}

}  // namespace mivo
