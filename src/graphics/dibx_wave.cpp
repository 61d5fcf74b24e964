#include "graphics/dibx_wave.hpp"

#include <algorithm>

#include "graphics/blit.hpp"

namespace mivo {

void TDIBXWave::SetSize(int32_t width, int32_t height, int) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    RowOffsets.assign(size_t(height_), 0);
}

void TDIBXWave::ClearClip() {
    ClipRect.right = 0;
    target_->ClearClip();
}

void TDIBXWave::AddClip(const TRect& r) {
    const TRect c = Intersect(r, MakeRect(OriginColumn, OriginRow, width_, height_));
    if (c.IsEmpty()) return;
    ClipRect = ClipRect.right == 0 ? c : Union(ClipRect, c);
    target_->AddClip(c);
}

template <class DrawBand>
void TDIBXWave::Forward(const DrawBand& draw) {
    TRect area = target_->DrawingArea();
    if (ClipRect.right != 0) area = Intersect(area, ClipRect);
    const int64_t first = std::max<int64_t>(area.top, OriginRow);
    const int64_t last = std::min<int64_t>(area.bottom, int64_t(OriginRow) + int64_t(RowOffsets.size()));
    if (area.IsEmpty() || first >= last) return;
    const TRect saved = target_->ClipRect;
    for (int64_t y = first; y < last;) {
        const int32_t offset = RowOffsets[size_t(y - OriginRow)];
        int64_t end = y + 1;
        while (end < last && RowOffsets[size_t(end - OriginRow)] == offset) ++end;
        target_->ClipRect = TRect{area.left, int32_t(y), area.right, int32_t(end)};
        draw(offset);
        y = end;
    }
    target_->ClipRect = saved;
}

namespace {
TRect Shift(const TRect& r, int32_t dx) {
    return TRect{int32_t(int64_t(r.left) + dx), r.top, int32_t(int64_t(r.right) + dx), r.bottom};
}
int32_t Add(int32_t x, int32_t dx) { return int32_t(std::clamp<int64_t>(int64_t(x) + dx, INT32_MIN, INT32_MAX)); }
}  // namespace

void TDIBXWave::Fill(uint32_t value) { FillRect(MakeRect(OriginColumn, OriginRow, width_, height_), value); }
void TDIBXWave::FillRect(const TRect& r, uint32_t value) {
    Forward([&](int32_t o) { target_->FillRect(Shift(r, o), value); });
}
void TDIBXWave::FillRectAlpha(const TRect& r, uint32_t value, int alpha) {
    Forward([&](int32_t o) { target_->FillRectAlpha(Shift(r, o), value, alpha); });
}
void TDIBXWave::AddRect(const TRect& r, uint32_t value) {
    Forward([&](int32_t o) { target_->AddRect(Shift(r, o), value); });
}
void TDIBXWave::SubRect(const TRect& r, uint32_t value) {
    Forward([&](int32_t o) { target_->SubRect(Shift(r, o), value); });
}
void TDIBXWave::DrawAll(TCustomDIBX& source) { Draw(0, 0, false, false, false, Bounds(source), source); }
void TDIBXWave::Draw(int32_t x, int32_t y, bool fv, bool fh, bool key, const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->Draw(Add(x, o), y, fv, fh, key, sr, source); });
}
void TDIBXWave::DrawMask(int32_t x, int32_t y, TCustomDIBX& mask, bool fv, bool fh, const TRect& sr,
                         TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawMask(Add(x, o), y, mask, fv, fh, sr, source); });
}
void TDIBXWave::DrawAlpha(int32_t x, int32_t y, int alpha, bool fv, bool fh, bool key, const TRect& sr,
                          TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawAlpha(Add(x, o), y, alpha, fv, fh, key, sr, source); });
}
void TDIBXWave::DrawMaskAlpha(int32_t x, int32_t y, int alpha, TCustomDIBX& mask, bool fv, bool fh,
                              const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawMaskAlpha(Add(x, o), y, alpha, mask, fv, fh, sr, source); });
}
void TDIBXWave::DrawAdd(int32_t x, int32_t y, int amount, bool fv, bool fh, bool key, const TRect& sr,
                        TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawAdd(Add(x, o), y, amount, fv, fh, key, sr, source); });
}
void TDIBXWave::DrawMaskAdd(int32_t x, int32_t y, int amount, TCustomDIBX& mask, bool fv, bool fh,
                            const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawMaskAdd(Add(x, o), y, amount, mask, fv, fh, sr, source); });
}
void TDIBXWave::DrawColorMask(int32_t x, int32_t y, int alpha, uint32_t colour, bool fv, bool fh, const TRect& sr,
                              TCustomDIBX& mask) {
    Forward([&](int32_t o) { target_->DrawColorMask(Add(x, o), y, alpha, colour, fv, fh, sr, mask); });
}
void TDIBXWave::DrawRotate(int32_t x, int32_t y, int blend, bool fv, bool fh, bool key, int angle, int32_t py,
                           int32_t px, const TRect& sr, TCustomDIBX& source, int zy, int zx) {
    Forward([&](int32_t o) { target_->DrawRotate(Add(x, o), y, blend, fv, fh, key, angle, py, px, sr, source, zy, zx); });
}
void TDIBXWave::DrawRotateMask(int32_t x, int32_t y, int blend, TCustomDIBX& mask, bool fv, bool fh, int angle,
                               int32_t py, int32_t px, const TRect& sr, TCustomDIBX& source, int zy, int zx) {
    Forward([&](int32_t o) {
        target_->DrawRotateMask(Add(x, o), y, blend, mask, fv, fh, angle, py, px, sr, source, zy, zx);
    });
}
void TDIBXWave::StretchDraw(const TRect& d, TCustomDIBX& source, int alpha, bool fv, bool fh, bool key,
                            const TRect& sr) {
    Forward([&](int32_t o) { target_->StretchDraw(Shift(d, o), source, alpha, fv, fh, key, sr); });
}
void TDIBXWave::StretchDrawMask(const TRect& d, TCustomDIBX& source, int alpha, TCustomDIBX& mask, bool fv,
                                bool fh, const TRect& sr) {
    Forward([&](int32_t o) { target_->StretchDrawMask(Shift(d, o), source, alpha, mask, fv, fh, sr); });
}
void TDIBXWave::StretchDrawAdd(const TRect& d, TCustomDIBX& source, int amount, bool fv, bool fh, bool key,
                               const TRect& sr) {
    Forward([&](int32_t o) { target_->StretchDrawAdd(Shift(d, o), source, amount, fv, fh, key, sr); });
}
void TDIBXWave::StretchDrawMaskAdd(const TRect& d, TCustomDIBX& source, int amount, TCustomDIBX& mask, bool fv,
                                   bool fh, const TRect& sr) {
    Forward([&](int32_t o) { target_->StretchDrawMaskAdd(Shift(d, o), source, amount, mask, fv, fh, sr); });
}
void TDIBXWave::DrawMono(int32_t x, int32_t y, int factor, int alpha, bool fv, bool fh, uint32_t colour,
                         const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawMono(Add(x, o), y, factor, alpha, fv, fh, colour, sr, source); });
}
void TDIBXWave::DrawMonoColors(int32_t x, int32_t y, int factor, int alpha, bool fv, bool fh,
                               const std::vector<uint32_t>& colours, const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawMonoColors(Add(x, o), y, factor, alpha, fv, fh, colours, sr, source); });
}
void TDIBXWave::DrawNibbles(int32_t x, int32_t y, const uint32_t* table16, int blend, bool fv, bool fh,
                            const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawNibbles(Add(x, o), y, table16, blend, fv, fh, sr, source); });
}
void TDIBXWave::DrawIndexedAdd(int32_t x, int32_t y, const uint32_t* table256, int amount, bool fv, bool fh,
                               const TRect& sr, TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->DrawIndexedAdd(Add(x, o), y, table256, amount, fv, fh, sr, source); });
}
void TDIBXWave::StretchIndexed(const TRect& d, TCustomDIBX& source, const uint32_t* table256, int amount, bool fv,
                               bool fh, const TRect& sr) {
    Forward([&](int32_t o) { target_->StretchIndexed(Shift(d, o), source, table256, amount, fv, fh, sr); });
}
void TDIBXWave::PatternCopy(const TRect& d, TCustomDIBX& source, bool fv, bool fh, int32_t oy, int32_t ox) {
    Forward([&](int32_t o) { target_->PatternCopy(Shift(d, o), source, fv, fh, oy, ox); });
}
void TDIBXWave::PatternDraw(const TRect& d, int zx, int blend, bool fv, bool fh, bool key, int32_t oy, int32_t ox,
                            TCustomDIBX& source, int zy) {
    Forward([&](int32_t o) { target_->PatternDraw(Shift(d, o), zx, blend, fv, fh, key, oy, ox, source, zy); });
}
void TDIBXWave::PatternDrawMask(const TRect& d, int zx, int blend, TCustomDIBX& mask, bool fv, bool fh, int32_t oy,
                                int32_t ox, TCustomDIBX& source, int zy) {
    Forward([&](int32_t o) { target_->PatternDrawMask(Shift(d, o), zx, blend, mask, fv, fh, oy, ox, source, zy); });
}
void TDIBXWave::PatternFrame(const TRect& r, int width, bool fv, bool fh, int32_t oy, int32_t ox, const TRect& sr,
                             TCustomDIBX& source) {
    Forward([&](int32_t o) { target_->PatternFrame(Shift(r, o), width, fv, fh, oy, ox, sr, source); });
}

}  // namespace mivo
