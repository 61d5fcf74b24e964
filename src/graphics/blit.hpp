#pragma once
// The shared machinery of the drawing operations: locking, clipping of
// copy-type and scaling operations, and running a row rule over the clipped
// area. Internal to the graphics library.
#include <cstdint>

#include "graphics/blend_row.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

// Pixel access to one surface for the length of an operation: Lock on
// construction, Unlock on destruction (also when the operation stops early).
class SurfaceLock {
public:
    explicit SurfaceLock(TCustomDIBX* s);
    ~SurfaceLock();
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;

    bool Ok() const { return base_ != nullptr || surface_ == nullptr; }
    uint8_t* Row(int32_t y) const { return base_ + ptrdiff_t(y) * pitch_; }
    uint8_t* At(int32_t x, int32_t y) const { return Row(y) + ptrdiff_t(x) * bytes_; }
    int Bytes() const { return bytes_; }

private:
    TCustomDIBX* surface_;
    uint8_t* base_ = nullptr;
    ptrdiff_t pitch_ = 0;
    int bytes_ = 0;
};

// A copy-type operation after clipping: w × h pixels at (dx, dy) from the
// source sub-rectangle at (sx, sy); destination column c reads source column
// sx + w − 1 − c when flipped horizontally, sx + c otherwise (rows alike).
struct BlitGeometry {
    int32_t dx = 0, dy = 0, w = 0, h = 0;
    int32_t sx = 0, sy = 0;
    bool flip_h = false, flip_v = false;
    int32_t SourceRow(int32_t r) const { return flip_v ? sy + h - 1 - r : sy + r; }
    int32_t SourceCol(int32_t c) const { return flip_h ? sx + w - 1 - c : sx + c; }
};

// Cuts the source rectangle to the source bounds (moving the destination
// with it), then the destination to the drawing area (cutting the source on
// the side that maps to the cut side). False when nothing is left.
bool ClipCopy(const TRect& area, int64_t x, int64_t y, const TRect& src_rect, const TRect& src_bounds, bool flip_h,
              bool flip_v, BlitGeometry& g);

TRect Bounds(const TCustomDIBX& s);

// The row rule's fixed parts for a destination format.
RowOp MakeRowOp(const TCustomDIBX& dst, RowKind kind, uint32_t weight = 255);

// Runs op over a copy-type operation. With a mask the mask is read at the
// source coordinates; for the colour kinds `source` is the mask itself.
void RunCopyOp(TCustomDIBX& dst, TCustomDIBX& source, TCustomDIBX* mask, int32_t x, int32_t y,
               const TRect& src_rect, bool flip_v, bool flip_h, const RowOp& op);

// Runs op over a scaling operation (nearest neighbour, 16.16 fixed point).
void RunStretchOp(TCustomDIBX& dst, TCustomDIBX& source, TCustomDIBX* mask, const TRect& dest,
                  const TRect& src_rect, bool flip_v, bool flip_h, const RowOp& op);

// Row rule for a whole blend value: 255 copy, 1..254 alpha, 256.. additive
// with value − 256 (at most 255). False for 0 (draw nothing).
bool RowOpForBlend(const TCustomDIBX& dst, int blend, bool with_mask, RowOp& op);

}  // namespace mivo
