#pragma once
// Software surfaces. Every drawing primitive of the player is an operation of
// TCustomDIBX, written once over a few accessors (pixel address, row pitch,
// channel masks) so it works on every kind of surface and between kinds.
//
// Colours passed to drawing operations are native pixel values of the
// destination (ColorToPixel converts 0x00BBGGRR). Rectangles are (left, top,
// right, bottom), right and bottom exclusive. Everything is clipped to the
// drawing area, to the source and to the mask, so no operation reads or
// writes outside a surface whatever rectangle it is given.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/dibsurface.hpp"
#include "graphics/pixel_format.hpp"
#include "graphics/rect.hpp"

namespace mivo {

class TCustomDIBX {
public:
    TCustomDIBX() = default;
    TCustomDIBX(const TCustomDIBX&) = delete;
    TCustomDIBX& operator=(const TCustomDIBX&) = delete;
    virtual ~TCustomDIBX() = default;

    // ---- state
    TRect ClipRect;                // right == 0: no clip rectangle
    int32_t TransparentColor = -1;  // native colour key of this surface as a source
    // The region lists of the picture last loaded onto the surface. List 1
    // names the parts of the picture a tiling component draws; list 2 is
    // only carried along. Changing the size leaves them alone: whoever loads
    // a picture sets them.
    RegionList Regions1, Regions2;

    // ---- primitive accessors
    virtual bool IsEmpty() const { return GetWidth() <= 0 || GetHeight() <= 0; }
    virtual int GetBitCount() const = 0;
    virtual void SetBitCount(int bit_count) = 0;
    virtual int GetStoredBitCount() const = 0;
    virtual uint32_t GetRedMask() const = 0;
    virtual uint32_t GetGreenMask() const = 0;
    virtual uint32_t GetBlueMask() const = 0;
    int GetRedShift() const { return MaskShift(GetRedMask()); }
    int GetGreenShift() const { return MaskShift(GetGreenMask()); }
    int GetBlueShift() const { return MaskShift(GetBlueMask()); }
    virtual ptrdiff_t GetPitch() const = 0;
    virtual uint32_t GetPixel(int32_t x, int32_t y) const = 0;
    virtual void SetPixel(int32_t x, int32_t y, uint32_t value) = 0;
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    virtual TCustomDIBX& GetTarget() { return *this; }
    virtual void SetSize(int32_t width, int32_t height, int bit_count) = 0;
    // Address of pixel (x, y) (for 1 and 4 bits: of the byte holding it);
    // nullptr when the surface is empty or cannot be reached.
    virtual uint8_t* Lock(int32_t x, int32_t y) = 0;
    virtual void Unlock() {}
    virtual void Clear() = 0;
    virtual const uint32_t* GetPalette() const { return nullptr; }
    virtual void SetPaletteEntries(const uint32_t* entries, int first, int count) = 0;
    void GetPaletteEntries(uint32_t* entries, int first, int count) const;

    PixelFormat Format() const;

    // ---- drawing area
    virtual void ClearClip() { ClipRect.right = 0; }
    virtual void AddClip(const TRect& r);
    TRect DrawingArea() const;

    virtual int32_t ColorToPixel(int32_t colour) const { return mivo::ColorToPixel(Format(), colour); }

    // ---- fills
    virtual void Fill(uint32_t value);
    virtual void FillRect(const TRect& r, uint32_t value);
    virtual void FillRectAlpha(const TRect& r, uint32_t value, int alpha);
    virtual void AddRect(const TRect& r, uint32_t value);
    virtual void SubRect(const TRect& r, uint32_t value);
    void FrameRect(const TRect& r, int width, uint32_t value);
    void FrameRectAlpha(const TRect& r, int width, int alpha, uint32_t value);
    void FrameRectAdd(const TRect& r, int width, uint32_t value);

    // ---- copies and blends at a position
    virtual void DrawAll(TCustomDIBX& source);
    virtual void Draw(int32_t x, int32_t y, bool flip_v, bool flip_h, bool use_key, const TRect& src_rect,
                      TCustomDIBX& source);
    virtual void DrawMask(int32_t x, int32_t y, TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect,
                          TCustomDIBX& source);
    virtual void DrawAlpha(int32_t x, int32_t y, int alpha, bool flip_v, bool flip_h, bool use_key,
                           const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawMaskAlpha(int32_t x, int32_t y, int alpha, TCustomDIBX& mask, bool flip_v, bool flip_h,
                               const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawAdd(int32_t x, int32_t y, int amount, bool flip_v, bool flip_h, bool use_key,
                         const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawMaskAdd(int32_t x, int32_t y, int amount, TCustomDIBX& mask, bool flip_v, bool flip_h,
                             const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawColorMask(int32_t x, int32_t y, int alpha, uint32_t colour, bool flip_v, bool flip_h,
                               const TRect& src_rect, TCustomDIBX& mask);

    // ---- rotation and zoom (angle in 1/256 turn, zoom 256 = 1:1)
    virtual void DrawRotate(int32_t x, int32_t y, int blend, bool flip_v, bool flip_h, bool use_key, int angle,
                            int32_t pivot_y, int32_t pivot_x, const TRect& src_rect, TCustomDIBX& source,
                            int zoom_y, int zoom_x);
    virtual void DrawRotateMask(int32_t x, int32_t y, int blend, TCustomDIBX& mask, bool flip_v, bool flip_h,
                                int angle, int32_t pivot_y, int32_t pivot_x, const TRect& src_rect,
                                TCustomDIBX& source, int zoom_y, int zoom_x);

    // ---- scaling (nearest neighbour, any width)
    virtual void StretchDraw(const TRect& dest, TCustomDIBX& source, int alpha, bool flip_v, bool flip_h,
                             bool use_key, const TRect& src_rect);
    virtual void StretchDrawMask(const TRect& dest, TCustomDIBX& source, int alpha, TCustomDIBX& mask, bool flip_v,
                                 bool flip_h, const TRect& src_rect);
    virtual void StretchDrawAdd(const TRect& dest, TCustomDIBX& source, int amount, bool flip_v, bool flip_h,
                                bool use_key, const TRect& src_rect);
    virtual void StretchDrawMaskAdd(const TRect& dest, TCustomDIBX& source, int amount, TCustomDIBX& mask,
                                    bool flip_v, bool flip_h, const TRect& src_rect);

    // ---- glyphs and indexed sources
    // 1-bit source at `factor` times the size, 0 bits are ink.
    virtual void DrawMono(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h, uint32_t colour,
                          const TRect& src_rect, TCustomDIBX& source);
    // 8-bit source at `factor` times the size: index 0 is empty, index i ≥ 1
    // is colours[i − 1] (a glyph with outline and shadow colours).
    virtual void DrawMonoColors(int32_t x, int32_t y, int factor, int alpha, bool flip_v, bool flip_h,
                                const std::vector<uint32_t>& colours, const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawNibbles(int32_t x, int32_t y, const uint32_t* table16, int blend, bool flip_v, bool flip_h,
                             const TRect& src_rect, TCustomDIBX& source);
    virtual void DrawIndexedAdd(int32_t x, int32_t y, const uint32_t* table256, int amount, bool flip_v,
                                bool flip_h, const TRect& src_rect, TCustomDIBX& source);
    virtual void StretchIndexed(const TRect& dest, TCustomDIBX& source, const uint32_t* table256, int amount,
                                bool flip_v, bool flip_h, const TRect& src_rect);

    // ---- tiles: the source repeated with gaps, starting at the phase (offset_x, offset_y)
    void TileDraw(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, bool flip_v, bool flip_h,
                  bool use_key, const TRect& src_rect, TCustomDIBX& source, int gap_y);
    void TileDrawAlpha(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int alpha, bool flip_v,
                       bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source, int gap_y);
    void TileDrawAdd(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int amount, bool flip_v,
                     bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source, int gap_y);
    void TileDrawMask(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, TCustomDIBX& mask,
                      bool flip_v, bool flip_h, const TRect& src_rect, TCustomDIBX& source, int gap_y);
    void TileDrawMaskAlpha(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int alpha,
                           TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect, TCustomDIBX& source,
                           int gap_y);
    void TileDrawMaskAdd(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int amount,
                         TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect, TCustomDIBX& source,
                         int gap_y);
    // Tiles drawn at tile_w × tile_h each; amounts above 255 add (value − 256).
    void TileStretch(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int blend, bool flip_v,
                     bool flip_h, bool use_key, const TRect& src_rect, TCustomDIBX& source, int gap_y,
                     int32_t tile_w, int32_t tile_h);
    void TileStretchMask(const TRect& dest, int gap_x, int32_t offset_y, int32_t offset_x, int blend,
                         TCustomDIBX& mask, bool flip_v, bool flip_h, const TRect& src_rect, TCustomDIBX& source,
                         int gap_y, int32_t tile_w, int32_t tile_h);

    // ---- wrap-around patterns
    virtual void PatternCopy(const TRect& dest, TCustomDIBX& source, bool flip_v, bool flip_h, int32_t offset_y,
                             int32_t offset_x);
    virtual void PatternDraw(const TRect& dest, int zoom_x, int blend, bool flip_v, bool flip_h, bool use_key,
                             int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y);
    virtual void PatternDrawMask(const TRect& dest, int zoom_x, int blend, TCustomDIBX& mask, bool flip_v,
                                 bool flip_h, int32_t offset_y, int32_t offset_x, TCustomDIBX& source, int zoom_y);
    virtual void PatternFrame(const TRect& r, int width, bool flip_v, bool flip_h, int32_t offset_y,
                              int32_t offset_x, const TRect& src_rect, TCustomDIBX& source);

protected:
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// A surface whose pixels are a memory bitmap (owned, or borrowed).
class TDIBX : public TCustomDIBX {
public:
    TDIBX();  // a 1 × 1 15-bit bitmap
    TDIBX(int32_t width, int32_t height, int bit_count);
    // Borrows a bitmap that must outlive the surface.
    explicit TDIBX(TDIBSurface* borrowed);

    int GetBitCount() const override { return bmp_->BitCount(); }
    void SetBitCount(int bit_count) override;
    int GetStoredBitCount() const override { return bmp_->Format().stored_bit_count; }
    uint32_t GetRedMask() const override { return bmp_->Format().red_mask; }
    uint32_t GetGreenMask() const override { return bmp_->Format().green_mask; }
    uint32_t GetBlueMask() const override { return bmp_->Format().blue_mask; }
    ptrdiff_t GetPitch() const override { return ptrdiff_t(bmp_->RowSize()); }
    uint32_t GetPixel(int32_t x, int32_t y) const override { return bmp_->GetPixel(x, y); }
    void SetPixel(int32_t x, int32_t y, uint32_t value) override { bmp_->SetPixel(x, y, value); }
    void SetSize(int32_t width, int32_t height, int bit_count) override;
    uint8_t* Lock(int32_t x, int32_t y) override;
    void Clear() override;  // keeps an 8 × 8 bitmap, reports 0 × 0
    const uint32_t* GetPalette() const override { return bmp_->Palette().data(); }
    void SetPaletteEntries(const uint32_t* entries, int first, int count) override;

    TDIBSurface& Bitmap() { return *bmp_; }
    const TDIBSurface& Bitmap() const { return *bmp_; }

private:
    std::unique_ptr<TDIBSurface> owned_;
    TDIBSurface* bmp_;
};

}  // namespace mivo
