#pragma once
// Fitting a picture to a screen of fewer colours, so the colours the screen
// shows are chosen once, when the picture is loaded, instead of by plain
// truncation every time it is drawn:
//  - 1..8 bits: an 8-bit palette picture of at most 2^bits colours (median
//    cut, each pixel the nearest palette colour). A picture that has no more
//    colours than that keeps them exactly; a palette picture using no more
//    palette entries than that keeps its indices and palette.
//  - 15 and 16 bits: 24- and 32-bit pictures keep their format, but every
//    channel is dithered (ordered, 4 × 4) to the 5-5-5 or 5-6-5 levels of the
//    screen, written as the 8-bit values those levels show, so gradients do
//    not band. Pictures of 16 bits and less are left as they are.
//  - any other bit count: no change.
// The result depends on the input only.
#include <cstdint>

#include "graphics/dibsurface.hpp"

namespace mivo {

// `key` is the picture's transparent colour as stored (native value or
// palette index; −1 for none). Pixels that have it keep it and no other
// pixel takes it on, so the key still marks exactly the same pixels; a
// palette result gives the key a palette entry of its own (one of the
// 2^bits). Returns the key's value in the reduced picture (−1 stays −1).
int32_t ReduceColours(TDIBSurface& picture, int target_bits, int32_t key = -1);

}  // namespace mivo
