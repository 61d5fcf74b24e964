#pragma once
// A small rasteriser for the shapes the components draw: lines, filled
// ellipses and filled sectors, in a native pixel value, clipped to the
// drawing area like every other operation.
#include <cstdint>

#include "graphics/dibx.hpp"

namespace mivo {

// A one-pixel line from (x0, y0) to (x1, y1), both end points drawn.
void DrawLine(TCustomDIBX& dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t value);

// The ellipse inscribed in r: a pixel is inside when its centre is.
void FillEllipse(TCustomDIBX& dst, const TRect& r, uint32_t value);

// The part of the ellipse inscribed in r between two angles in degrees,
// measured from the positive x axis and turning clockwise on the screen
// (y points down); sweep may be negative, |sweep| ≥ 360 is the whole ellipse.
void FillSector(TCustomDIBX& dst, const TRect& r, double start_degrees, double sweep_degrees, uint32_t value);

}  // namespace mivo
