#pragma once
// One row of a drawing operation: the per-pixel rules of every copy, blend,
// mask and colour operation, applied to n pixels that are already clipped and
// mirrored. The plain reference loop defines the result; the SSE2 and AVX2
// loops for 32-bit rows give the same bytes.
#include <cstdint>

#include "graphics/pixel_format.hpp"

namespace mivo {

enum class RowKind : uint8_t {
    Copy,        // key; copy
    Alpha,       // key; skip equal (optional); alpha blend with weight
    Add,         // key; additive with weight
    Mask,        // m 0 skip, 255 copy, equal skipped, else alpha blend with m
    MaskAlpha,   // m 0 skip; w = (weight × m) >> 8; alpha blend
    MaskAdd,     // m 0 skip; w = (weight × m) >> 8; additive
    FillAlpha,   // colour; destination equal to colour skipped; alpha blend
    AddColor,    // colour added whole, saturating
    SubColor,    // colour subtracted, saturating at 0
    ColorMask,   // colour through mask m: m 0 skip, equal skipped, w = m or (weight × m) >> 8
};

struct RowOp {
    RowKind kind = RowKind::Copy;
    uint32_t weight = 255;    // alpha or amount, 0..255
    bool use_key = false;     // skip source pixels equal to key
    bool skip_equal = false;  // Alpha: skip pixels whose source equals the destination
    uint32_t key = 0;
    uint32_t colour = 0;      // native value for the colour kinds
    Channels channels;
    int bytes = 4;            // bytes per pixel: 1, 2, 3 or 4
    bool add8_plain = false;  // 8-bit Add: the two values are added whole
};

// Rows of bytes: dst and src hold n pixels of op.bytes each, mask n bytes
// (when the kind uses one). src is unused by the colour kinds.
using RowFn = void (*)(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);

// The reference for every pixel size.
void BlendRowReference(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);
// Packed loops for 32-bit rows with 8-8-8 channels (same results as the reference).
void BlendRow32Sse2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);
void BlendRow32Avx2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);
void BlendRow32Avx512(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);
// Packed loops for 16-bit rows with 5-6-5 or 5-5-5 channels.
void BlendRow16Sse2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);
void BlendRow16Avx2(const RowOp& op, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n);

// out[c] = row[cols[c]] for 32-bit pixels, cols monotonic (a stretched
// row); no column reaches `limit`, and the row holds `limit` pixels.
using GatherFn = void (*)(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int32_t limit);
void GatherRow32Reference(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int32_t limit);
void GatherRow32Avx2(uint8_t* out, const uint8_t* row, const int32_t* cols, int32_t w, int32_t limit);
GatherFn PickGatherRow32();

bool CpuHasAvx2();
bool CpuHasAvx512();  // F, BW and VL
// The fastest row function for the op's pixel size on this processor.
RowFn PickRowFn(const RowOp& op);
// Forces the reference loops everywhere (tests of the fast paths use it to
// make golden pictures both ways).
void SetFastRowsEnabled(bool enabled);

// Per-pixel channel rules, shared by the reference loop and the tails of the
// packed loops.
inline uint32_t ChannelAlpha(const Channels& ch, uint32_t d, uint32_t s, uint32_t w) {
    uint32_t r = 0;
    for (int i = 0; i < ch.count; ++i) {
        const uint64_t m = ch.mask[i];
        r |= uint32_t((((255 - w) * (d & m) + uint64_t(w) * (s & m)) >> 8) & m);
    }
    return r;
}

// w may be 256: the colour channel is added whole.
inline uint32_t ChannelAdd(const Channels& ch, uint32_t d, uint32_t s, uint32_t w) {
    uint32_t r = 0;
    for (int i = 0; i < ch.count; ++i) {
        const uint64_t m = ch.mask[i];
        const uint64_t v = (d & m) + (((uint64_t(w) * (s & m)) >> 8) & m);
        r |= uint32_t(v > m ? m : v);
    }
    return r;
}

inline uint32_t ChannelSub(const Channels& ch, uint32_t d, uint32_t s) {
    uint32_t r = 0;
    for (int i = 0; i < ch.count; ++i) {
        const uint32_t m = ch.mask[i];
        const uint32_t a = d & m, b = s & m;
        r |= a > b ? a - b : 0;
    }
    return r;
}

// The result of one pixel under op (src and m as the kind needs).
uint32_t BlendPixel(const RowOp& op, uint32_t d, uint32_t s, uint32_t m);

}  // namespace mivo
