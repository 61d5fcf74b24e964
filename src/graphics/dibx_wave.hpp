#pragma once
// A surface without pixels of its own that draws onto a target surface with
// every destination row shifted sideways by its own offset (the rippling
// picture of the wave effect). Coordinates are the target's; row
// OriginRow uses RowOffsets[0]; rows without an entry are not drawn.
#include <vector>

#include "graphics/dibx.hpp"

namespace mivo {

class TDIBXWave : public TCustomDIBX {
public:
    explicit TDIBXWave(TCustomDIBX& target) : target_(&target) {}

    std::vector<int32_t> RowOffsets;
    int32_t OriginColumn = 0;
    int32_t OriginRow = 0;

    TCustomDIBX& GetTarget() override { return *target_; }
    int GetBitCount() const override { return target_->GetBitCount(); }
    void SetBitCount(int) override {}
    int GetStoredBitCount() const override { return target_->GetStoredBitCount(); }
    uint32_t GetRedMask() const override { return target_->GetRedMask(); }
    uint32_t GetGreenMask() const override { return target_->GetGreenMask(); }
    uint32_t GetBlueMask() const override { return target_->GetBlueMask(); }
    ptrdiff_t GetPitch() const override { return target_->GetPitch(); }
    uint32_t GetPixel(int32_t x, int32_t y) const override { return target_->GetPixel(x, y); }
    void SetPixel(int32_t x, int32_t y, uint32_t v) override { target_->SetPixel(x, y, v); }
    // The size of the waving area; RowOffsets gets one entry per row.
    void SetSize(int32_t width, int32_t height, int bit_count) override;
    uint8_t* Lock(int32_t, int32_t) override { return nullptr; }
    void Clear() override { SetSize(0, 0, 0); }
    const uint32_t* GetPalette() const override { return target_->GetPalette(); }
    void SetPaletteEntries(const uint32_t* e, int first, int count) override { target_->SetPaletteEntries(e, first, count); }
    int32_t ColorToPixel(int32_t colour) const override { return target_->ColorToPixel(colour); }

    void ClearClip() override;
    void AddClip(const TRect& r) override;

    void Fill(uint32_t value) override;
    void FillRect(const TRect& r, uint32_t value) override;
    void FillRectAlpha(const TRect& r, uint32_t value, int alpha) override;
    void AddRect(const TRect& r, uint32_t value) override;
    void SubRect(const TRect& r, uint32_t value) override;
    void DrawAll(TCustomDIBX& source) override;
    void Draw(int32_t x, int32_t y, bool flip_v, bool flip_h, bool use_key, const TRect& src_rect,
              TCustomDIBX& source) override;
    void DrawMask(int32_t x, int32_t y, TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect,
                  TCustomDIBX& source) override;
    void DrawAlpha(int32_t x, int32_t y, int alpha, bool flip_v, bool flip_h, bool use_key, const TRect& src_rect,
                   TCustomDIBX& source) override;
    void DrawMaskAlpha(int32_t x, int32_t y, int alpha, TCustomDIBX& mask, bool flip_v, bool flip_h,
                       const TRect& src_rect, TCustomDIBX& source) override;
    void DrawAdd(int32_t x, int32_t y, int amount, bool flip_v, bool flip_h, bool use_key, const TRect& src_rect,
                 TCustomDIBX& source) override;
    void DrawMaskAdd(int32_t x, int32_t y, int amount, TCustomDIBX& mask, bool flip_v, bool flip_h,
                     const TRect& src_rect, TCustomDIBX& source) override;
    void DrawColorMask(int32_t x, int32_t y, int alpha, uint32_t colour, bool flip_v, bool flip_h,
                       const TRect& src_rect, TCustomDIBX& mask) override;
    void DrawRotate(int32_t x, int32_t y, int blend, bool flip_v, bool flip_h, bool use_key, int angle,
                    int32_t pivot_y, int32_t pivot_x, const TRect& src_rect, TCustomDIBX& source, int zoom_y,
                    int zoom_x) override;
    void DrawRotateMask(int32_t x, int32_t y, int blend, TCustomDIBX& mask, bool flip_v, bool flip_h, int angle,
                        int32_t pivot_y, int32_t pivot_x, const TRect& src_rect, TCustomDIBX& source, int zoom_y,
                        int zoom_x) override;
    void StretchDraw(const TRect& dest, TCustomDIBX& source, int alpha, bool flip_v, bool flip_h, bool use_key,
                     const TRect& src_rect) override;
    void StretchDrawMask(const TRect& dest, TCustomDIBX& source, int alpha, TCustomDIBX& mask, bool flip_v,
                         bool flip_h, const TRect& src_rect) override;
    void StretchDrawAdd(const TRect& dest, TCustomDIBX& source, int amount, bool flip_v, bool flip_h, bool use_key,
                        const TRect& src_rect) override;
    void StretchDrawMaskAdd(const TRect& dest, TCustomDIBX& source, int amount, TCustomDIBX& mask, bool flip_v,
                            bool flip_h, const TRect& src_rect) override;
    void DrawMono(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h, uint32_t colour,
                  const TRect& src_rect, TCustomDIBX& source) override;
    void DrawMonoColors(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h,
                        const std::vector<uint32_t>& colours, const TRect& src_rect, TCustomDIBX& source) override;
    void DrawNibbles(int32_t x, int32_t y, const uint32_t* table16, int blend, bool flip_v, bool flip_h,
                     const TRect& src_rect, TCustomDIBX& source) override;
    void DrawIndexedAdd(int32_t x, int32_t y, const uint32_t* table256, int amount, bool flip_v, bool flip_h,
                        const TRect& src_rect, TCustomDIBX& source) override;
    void StretchIndexed(const TRect& dest, TCustomDIBX& source, const uint32_t* table256, int amount, bool flip_v,
                        bool flip_h, const TRect& src_rect) override;
    void PatternCopy(const TRect& dest, TCustomDIBX& source, bool flip_v, bool flip_h, int32_t offset_y,
                     int32_t offset_x) override;
    void PatternDraw(const TRect& dest, int zoom_x, int blend, bool flip_v, bool flip_h, bool use_key,
                     int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y) override;
    void PatternDrawMask(const TRect& dest, int zoom_x, int blend, TCustomDIBX& mask, bool flip_v, bool flip_h,
                         int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y) override;
    void PatternFrame(const TRect& r, int width, bool flip_v, bool flip_h, int32_t offset_y, int32_t offset_x,
                      const TRect& src_rect, TCustomDIBX& source) override;

private:
    // Calls draw(offset) once per band of consecutive rows with equal
    // offsets, with the target's drawing area narrowed to the band.
    template <class DrawBand>
    void Forward(const DrawBand& draw);

    TCustomDIBX* target_;
};

}  // namespace mivo
