// Surface basics: the memory surface, the drawing area and the fills.
#include "graphics/dibx.hpp"

#include <algorithm>
#include <cstring>

#include "graphics/blit.hpp"

namespace mivo {

// ---------------------------------------------------------------- TCustomDIBX

PixelFormat TCustomDIBX::Format() const {
    PixelFormat f;
    f.bit_count = GetBitCount();
    f.stored_bit_count = GetStoredBitCount();
    f.red_mask = GetRedMask();
    f.green_mask = GetGreenMask();
    f.blue_mask = GetBlueMask();
    return f;
}

void TCustomDIBX::GetPaletteEntries(uint32_t* entries, int first, int count) const {
    const uint32_t* pal = GetPalette();
    for (int i = 0; i < count; ++i) {
        const int k = first + i;
        entries[i] = (pal && k >= 0 && k < 256) ? pal[k] : 0;
    }
}

void TCustomDIBX::AddClip(const TRect& r) {
    const TRect c = Intersect(r, Bounds(*this));
    if (c.IsEmpty()) return;
    ClipRect = ClipRect.right == 0 ? c : Union(ClipRect, c);
}

TRect TCustomDIBX::DrawingArea() const {
    const TRect all = Bounds(*this);
    return ClipRect.right != 0 ? Intersect(ClipRect, all) : all;
}

namespace {

void RunFillOp(TCustomDIBX& dst, const TRect& r, const RowOp& op) {
    const TRect c = Intersect(r, dst.DrawingArea());
    if (c.IsEmpty() || dst.GetBitCount() < 8) return;
    SurfaceLock dl(&dst);
    if (!dl.Ok()) return;
    const RowFn fn = PickRowFn(op);
    for (int32_t y = c.top; y < c.bottom; ++y) fn(op, dl.At(c.left, y), nullptr, nullptr, int32_t(c.Width()));
}

void FillSpan(uint8_t* p, int32_t n, int bytes, uint32_t v) {
    switch (bytes) {
        case 1: std::memset(p, int(v & 0xFF), size_t(n)); break;
        case 2: {
            const uint16_t w = uint16_t(v);
            for (int32_t i = 0; i < n; ++i) std::memcpy(p + 2 * size_t(i), &w, 2);
            break;
        }
        case 3:
            for (int32_t i = 0; i < n; ++i) {
                p[3 * size_t(i)] = uint8_t(v);
                p[3 * size_t(i) + 1] = uint8_t(v >> 8);
                p[3 * size_t(i) + 2] = uint8_t(v >> 16);
            }
            break;
        default: {
            const uint32_t d = v & 0x00FFFFFF;
            auto* q = reinterpret_cast<uint32_t*>(p);
            if (reinterpret_cast<uintptr_t>(p) % alignof(uint32_t) == 0) {
                std::fill_n(q, n, d);
            } else {
                for (int32_t i = 0; i < n; ++i) std::memcpy(p + 4 * size_t(i), &d, 4);
            }
            break;
        }
    }
}

void FrameWith(const TRect& r, int width, const auto& band) {
    if (width <= 0 || r.IsEmpty()) return;
    const int32_t w = int32_t(std::min<int64_t>(width, std::max(r.Width(), r.Height())));
    const int32_t top_end = int32_t(std::min<int64_t>(int64_t(r.top) + w, r.bottom));
    const int32_t bottom_start = int32_t(std::max<int64_t>(int64_t(r.bottom) - w, top_end));
    band(TRect{r.left, r.top, r.right, top_end});
    band(TRect{r.left, bottom_start, r.right, r.bottom});
    band(TRect{r.left, top_end, int32_t(std::min<int64_t>(int64_t(r.left) + w, r.right)), bottom_start});
    band(TRect{int32_t(std::max<int64_t>(int64_t(r.right) - w, r.left)), top_end, r.right, bottom_start});
}

}  // namespace

void TCustomDIBX::Fill(uint32_t value) {
    if (IsEmpty()) return;
    SurfaceLock dl(this);
    if (!dl.Ok()) return;
    const int bits = GetStoredBitCount();
    if (bits < 8) {
        const uint8_t byte = bits == 1 ? (value ? 0xFF : 0x00) : uint8_t((value & 0x0F) * 0x11);
        const size_t row_bytes = size_t(DibRowSize(GetWidth(), bits));
        for (int32_t y = 0; y < GetHeight(); ++y) std::memset(dl.Row(y), byte, row_bytes);
        return;
    }
    for (int32_t y = 0; y < GetHeight(); ++y) FillSpan(dl.Row(y), GetWidth(), dl.Bytes(), value);
}

void TCustomDIBX::FillRect(const TRect& r, uint32_t value) {
    const TRect c = Intersect(r, DrawingArea());
    if (c.IsEmpty()) return;
    if (GetStoredBitCount() < 8) {
        for (int32_t y = c.top; y < c.bottom; ++y)
            for (int32_t x = c.left; x < c.right; ++x) SetPixel(x, y, value);
        return;
    }
    SurfaceLock dl(this);
    if (!dl.Ok()) return;
    for (int32_t y = c.top; y < c.bottom; ++y) FillSpan(dl.At(c.left, y), int32_t(c.Width()), dl.Bytes(), value);
}

void TCustomDIBX::FillRectAlpha(const TRect& r, uint32_t value, int alpha) {
    if (alpha <= 0) return;
    RowOp op = MakeRowOp(*this, RowKind::FillAlpha, uint32_t(std::min(alpha, 255)));
    op.colour = value;
    RunFillOp(*this, r, op);
}

void TCustomDIBX::AddRect(const TRect& r, uint32_t value) {
    RowOp op = MakeRowOp(*this, RowKind::AddColor);
    op.colour = value;
    RunFillOp(*this, r, op);
}

void TCustomDIBX::SubRect(const TRect& r, uint32_t value) {
    RowOp op = MakeRowOp(*this, RowKind::SubColor);
    op.colour = value;
    RunFillOp(*this, r, op);
}

void TCustomDIBX::FrameRect(const TRect& r, int width, uint32_t value) {
    FrameWith(r, width, [&](const TRect& b) { FillRect(b, value); });
}

void TCustomDIBX::FrameRectAlpha(const TRect& r, int width, int alpha, uint32_t value) {
    FrameWith(r, width, [&](const TRect& b) { FillRectAlpha(b, value, alpha); });
}

void TCustomDIBX::FrameRectAdd(const TRect& r, int width, uint32_t value) {
    FrameWith(r, width, [&](const TRect& b) { AddRect(b, value); });
}

// ---------------------------------------------------------------------- TDIBX

TDIBX::TDIBX() : owned_(std::make_unique<TDIBSurface>(1, 1, 15)), bmp_(owned_.get()) {
    width_ = height_ = 1;
}

TDIBX::TDIBX(int32_t width, int32_t height, int bit_count) : TDIBX() { SetSize(width, height, bit_count); }

TDIBX::TDIBX(TDIBSurface* borrowed) : bmp_(borrowed) {
    width_ = borrowed->Width();
    height_ = borrowed->Height();
}

void TDIBX::SetBitCount(int bit_count) {
    if (bit_count == GetBitCount()) return;
    bmp_->SetSize(width_, height_, bit_count);
}

void TDIBX::SetSize(int32_t width, int32_t height, int bit_count) {
    bmp_->SetSize(width, height, bit_count);
    width_ = width;
    height_ = height;
}

uint8_t* TDIBX::Lock(int32_t x, int32_t y) {
    if (IsEmpty() || x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
    const int bits = bmp_->Format().stored_bit_count;
    return bmp_->Row(y) + (size_t(x) * size_t(bits)) / 8;
}

void TDIBX::Clear() {
    bmp_->SetSize(8, 8, bmp_->BitCount());
    width_ = height_ = 0;
}

void TDIBX::SetPaletteEntries(const uint32_t* entries, int first, int count) {
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < 256) bmp_->Palette()[size_t(first + i)] = entries[i];
}

}  // namespace mivo
