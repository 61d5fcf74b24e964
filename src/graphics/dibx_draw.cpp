// Copies and blends at a position, and their scaled forms.
#include <algorithm>

#include "graphics/blit.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

namespace {

RowOp Keyed(RowOp op, bool use_key, const TCustomDIBX& source) {
    op.use_key = use_key && source.TransparentColor != -1;
    op.key = uint32_t(source.TransparentColor);
    return op;
}

uint32_t Weight(int v) { return uint32_t(std::clamp(v, 0, 255)); }

}  // namespace

void TCustomDIBX::DrawAll(TCustomDIBX& source) { Draw(0, 0, false, false, false, Bounds(source), source); }

void TCustomDIBX::Draw(int32_t x, int32_t y, bool flip_v, bool flip_h, bool use_key, const TRect& src_rect,
                       TCustomDIBX& source) {
    RunCopyOp(*this, source, nullptr, x, y, src_rect, flip_v, flip_h,
              Keyed(MakeRowOp(*this, RowKind::Copy), use_key, source));
}

void TCustomDIBX::DrawMask(int32_t x, int32_t y, TCustomDIBX& mask, bool flip_v, bool flip_h,
                           const TRect& src_rect, TCustomDIBX& source) {
    RunCopyOp(*this, source, &mask, x, y, src_rect, flip_v, flip_h, MakeRowOp(*this, RowKind::Mask));
}

void TCustomDIBX::DrawAlpha(int32_t x, int32_t y, int alpha, bool flip_v, bool flip_h, bool use_key,
                            const TRect& src_rect, TCustomDIBX& source) {
    if (alpha <= 0) return;
    RowOp op = Keyed(MakeRowOp(*this, RowKind::Alpha, Weight(alpha)), use_key, source);
    op.skip_equal = true;
    RunCopyOp(*this, source, nullptr, x, y, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::DrawMaskAlpha(int32_t x, int32_t y, int alpha, TCustomDIBX& mask, bool flip_v, bool flip_h,
                                const TRect& src_rect, TCustomDIBX& source) {
    if (alpha <= 0) return;
    RunCopyOp(*this, source, &mask, x, y, src_rect, flip_v, flip_h,
              MakeRowOp(*this, RowKind::MaskAlpha, Weight(alpha)));
}

void TCustomDIBX::DrawAdd(int32_t x, int32_t y, int amount, bool flip_v, bool flip_h, bool use_key,
                          const TRect& src_rect, TCustomDIBX& source) {
    if (amount <= 0) return;
    RowOp op = Keyed(MakeRowOp(*this, RowKind::Add, Weight(amount)), use_key, source);
    op.add8_plain = GetBitCount() == 8;
    RunCopyOp(*this, source, nullptr, x, y, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::DrawMaskAdd(int32_t x, int32_t y, int amount, TCustomDIBX& mask, bool flip_v, bool flip_h,
                              const TRect& src_rect, TCustomDIBX& source) {
    if (amount <= 0) return;
    RunCopyOp(*this, source, &mask, x, y, src_rect, flip_v, flip_h,
              MakeRowOp(*this, RowKind::MaskAdd, Weight(amount)));
}

void TCustomDIBX::DrawColorMask(int32_t x, int32_t y, int alpha, uint32_t colour, bool flip_v, bool flip_h,
                                const TRect& src_rect, TCustomDIBX& mask) {
    if (alpha <= 0) return;
    RowOp op = MakeRowOp(*this, RowKind::ColorMask, Weight(alpha));
    op.colour = colour;
    RunCopyOp(*this, mask, nullptr, x, y, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::StretchDraw(const TRect& dest, TCustomDIBX& source, int alpha, bool flip_v, bool flip_h,
                              bool use_key, const TRect& src_rect) {
    if (alpha <= 0) return;
    RowOp op = Keyed(MakeRowOp(*this, alpha >= 255 ? RowKind::Copy : RowKind::Alpha, Weight(alpha)), use_key, source);
    op.skip_equal = true;
    RunStretchOp(*this, source, nullptr, dest, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::StretchDrawMask(const TRect& dest, TCustomDIBX& source, int alpha, TCustomDIBX& mask,
                                  bool flip_v, bool flip_h, const TRect& src_rect) {
    if (alpha <= 0) return;
    const RowOp op = MakeRowOp(*this, alpha >= 255 ? RowKind::Mask : RowKind::MaskAlpha, Weight(alpha));
    RunStretchOp(*this, source, &mask, dest, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::StretchDrawAdd(const TRect& dest, TCustomDIBX& source, int amount, bool flip_v, bool flip_h,
                                 bool use_key, const TRect& src_rect) {
    if (amount <= 0) return;
    RowOp op = Keyed(MakeRowOp(*this, RowKind::Add, Weight(amount)), use_key, source);
    op.add8_plain = GetBitCount() == 8;
    RunStretchOp(*this, source, nullptr, dest, src_rect, flip_v, flip_h, op);
}

void TCustomDIBX::StretchDrawMaskAdd(const TRect& dest, TCustomDIBX& source, int amount, TCustomDIBX& mask,
                                     bool flip_v, bool flip_h, const TRect& src_rect) {
    if (amount <= 0) return;
    RunStretchOp(*this, source, &mask, dest, src_rect, flip_v, flip_h,
                 MakeRowOp(*this, RowKind::MaskAdd, Weight(amount)));
}

}  // namespace mivo
