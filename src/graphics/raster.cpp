#include "graphics/raster.hpp"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace mivo {

void DrawLine(TCustomDIBX& dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t value) {
    const TRect area = dst.DrawingArea();
    if (area.IsEmpty()) return;
    int64_t x = x0, y = y0;
    const int64_t dx = std::llabs(int64_t(x1) - x0), dy = -std::llabs(int64_t(y1) - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    for (;;) {
        if (x >= area.left && x < area.right && y >= area.top && y < area.bottom)
            dst.FillRect(TRect{int32_t(x), int32_t(y), int32_t(x + 1), int32_t(y + 1)}, value);
        if (x == x1 && y == y1) break;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

namespace {

// Runs of inside pixels per row of r (cut to the drawing area), drawn with FillRect.
template <class Inside>
void FillShape(TCustomDIBX& dst, const TRect& r, uint32_t value, const Inside& inside) {
    const TRect c = Intersect(r, dst.DrawingArea());
    if (c.IsEmpty()) return;
    for (int32_t y = c.top; y < c.bottom; ++y) {
        int32_t run = -1;
        for (int32_t x = c.left; x <= c.right; ++x) {
            const bool in = x < c.right && inside(x + 0.5, y + 0.5);
            if (in && run < 0) run = x;
            if (!in && run >= 0) {
                dst.FillRect(TRect{run, y, x, y + 1}, value);
                run = -1;
            }
        }
    }
}

}  // namespace

void FillEllipse(TCustomDIBX& dst, const TRect& r, uint32_t value) {
    if (r.IsEmpty()) return;
    const double cx = (double(r.left) + r.right) / 2, cy = (double(r.top) + r.bottom) / 2;
    const double rx = double(r.Width()) / 2, ry = double(r.Height()) / 2;
    FillShape(dst, r, value, [&](double x, double y) {
        const double u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    });
}

void FillSector(TCustomDIBX& dst, const TRect& r, double start_degrees, double sweep_degrees, uint32_t value) {
    if (r.IsEmpty() || sweep_degrees == 0 || !std::isfinite(start_degrees) || !std::isfinite(sweep_degrees)) return;
    if (std::fabs(sweep_degrees) >= 360) return FillEllipse(dst, r, value);
    if (sweep_degrees < 0) {
        start_degrees += sweep_degrees;
        sweep_degrees = -sweep_degrees;
    }
    const double start = std::fmod(std::fmod(start_degrees, 360.0) + 360.0, 360.0);
    const double cx = (double(r.left) + r.right) / 2, cy = (double(r.top) + r.bottom) / 2;
    const double rx = double(r.Width()) / 2, ry = double(r.Height()) / 2;
    FillShape(dst, r, value, [&](double x, double y) {
        const double u = (x - cx) / rx, v = (y - cy) / ry;
        if (u * u + v * v > 1.0) return false;
        double a = std::atan2(v, u) * 180.0 / std::numbers::pi;  // clockwise on screen
        if (a < 0) a += 360.0;
        const double rel = std::fmod(a - start + 360.0, 360.0);
        return rel <= sweep_degrees;
    });
}

}  // namespace mivo
