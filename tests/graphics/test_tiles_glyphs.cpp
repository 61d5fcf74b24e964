#include <gtest/gtest.h>

#include "graphics/dibx.hpp"
#include "graphics/dibx_wave.hpp"

using namespace mivo;

TEST(Tiles, RepeatWithGapsFromThePhase) {
    TDIBX src(3, 1, 32), dst(12, 1, 32);
    for (int32_t x = 0; x < 3; ++x) src.SetPixel(x, 0, uint32_t(x + 1));
    dst.TileDraw(TRect{0, 0, 12, 1}, 1, 0, 1, false, false, false, TRect{0, 0, 3, 1}, src, 0);
    // Phase 1: the first tile starts at its column 1; tiles of 3 with gaps of 1.
    const uint32_t want[12] = {2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
    for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(dst.GetPixel(x, 0), want[x]) << x;
    EXPECT_EQ(dst.ClipRect.right, 0);  // drawing area restored
}

TEST(Tiles, NegativeOffsetsWrapAndHugeRectsStayFast) {
    TDIBX src(4, 4, 32), dst(16, 16, 32);
    src.Fill(0x111111);
    dst.TileDraw(TRect{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2}, -3, -7, -9, false, false, false,
                 TRect{0, 0, 4, 4}, src, -3);
    EXPECT_EQ(dst.GetPixel(15, 15), 0x111111u);
}

TEST(Patterns, CopyWrapsAroundAndStaysAnchored) {
    TDIBX src(3, 1, 32), dst(8, 1, 32);
    for (int32_t x = 0; x < 3; ++x) src.SetPixel(x, 0, uint32_t(x + 1));
    dst.PatternCopy(TRect{0, 0, 8, 1}, src, false, false, 0, -1);
    const uint32_t want[8] = {3, 1, 2, 3, 1, 2, 3, 1};
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(dst.GetPixel(x, 0), want[x]) << x;
    TDIBX clipped(8, 1, 32);
    clipped.AddClip(TRect{4, 0, 8, 1});
    clipped.PatternCopy(TRect{0, 0, 8, 1}, src, false, false, 0, -1);
    for (int32_t x = 4; x < 8; ++x) EXPECT_EQ(clipped.GetPixel(x, 0), want[x]) << x;
}

TEST(Patterns, ZoomTwoRepeatsEachPixel) {
    TDIBX src(2, 1, 32), dst(8, 1, 32);
    src.SetPixel(0, 0, 5);
    src.SetPixel(1, 0, 6);
    dst.PatternDraw(TRect{0, 0, 8, 1}, 512, 255, false, false, false, 0, 0, src, 256);
    const uint32_t want[8] = {5, 5, 6, 6, 5, 5, 6, 6};
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(dst.GetPixel(x, 0), want[x]) << x;
}

TEST(Mono, CountsInkPerBlock) {
    // 8 × 4 one-bit source: the left 4 × 4 block all ink (0 bits), the right half 4 of 16 ink.
    TDIBX glyph(8, 4, 1), dst(2, 1, 32);
    glyph.Fill(1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) glyph.SetPixel(x, y, 0);
    for (int32_t y = 0; y < 4; ++y) glyph.SetPixel(4, y, 0);
    dst.DrawMono(0, 0, 4, 255, false, false, 0xFFFFFF, TRect{0, 0, 8, 4}, glyph);
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dst.GetPixel(1, 0), 0x3F3F3Fu);  // (255 × 4) / 16
    TDIBX flipped(2, 1, 32);
    flipped.DrawMono(0, 0, 4, 255, false, true, 0xFFFFFF, TRect{0, 0, 8, 4}, glyph);
    EXPECT_EQ(flipped.GetPixel(0, 0), 0x3F3F3Fu);
}

TEST(Indexed, NibblesAndIndexedAdd) {
    TDIBX nib(4, 1, 4), dst(4, 1, 32);
    for (int32_t x = 0; x < 4; ++x) nib.SetPixel(x, 0, uint32_t(x));
    nib.TransparentColor = 0;
    uint32_t table[16] = {};
    for (int i = 0; i < 16; ++i) table[i] = uint32_t(i * 0x101010);
    dst.DrawNibbles(0, 0, table, 255, false, false, TRect{0, 0, 4, 1}, nib);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
    EXPECT_EQ(dst.GetPixel(3, 0), 0x303030u);
    TDIBX idx(3, 1, 8), add(3, 1, 32);
    idx.SetPixel(0, 0, 1), idx.SetPixel(1, 0, 2), idx.SetPixel(2, 0, 3);
    idx.TransparentColor = 1;  // only indices above 1 are drawn
    uint32_t table256[256] = {};
    table256[1] = table256[2] = table256[3] = 0x000080;
    add.DrawIndexedAdd(0, 0, table256, 255, false, false, TRect{0, 0, 3, 1}, idx);
    EXPECT_EQ(add.GetPixel(0, 0), 0u);
    EXPECT_EQ(add.GetPixel(1, 0), 0x7Fu);
}

TEST(Wave, ShiftsEachRowByItsOffset) {
    TDIBX target(12, 4, 32), src(4, 4, 32);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) src.SetPixel(x, y, uint32_t(10 * y + x + 1));
    TDIBXWave wave(target);
    wave.SetSize(12, 3, 32);
    wave.OriginRow = 1;
    wave.RowOffsets = {0, 2, 2};  // rows 1, 2, 3 of the target; row 0 has no entry
    wave.Draw(1, 0, false, false, false, TRect{0, 0, 4, 4}, src);
    EXPECT_EQ(target.GetPixel(1, 0), 0u);  // no entry: not drawn
    EXPECT_EQ(target.GetPixel(1, 1), 11u);
    EXPECT_EQ(target.GetPixel(3, 2), 21u);
    EXPECT_EQ(target.GetPixel(1, 2), 0u);
    EXPECT_EQ(target.GetPixel(6, 3), 34u);
    EXPECT_EQ(target.ClipRect.right, 0);  // the target's drawing area is restored
    wave.FillRect(TRect{0, 0, 2, 4}, 7);
    EXPECT_EQ(target.GetPixel(3, 3), 7u);
    EXPECT_EQ(target.GetPixel(0, 1), 7u);
    wave.AddClip(TRect{-5, -5, 100, 100});
    EXPECT_EQ(wave.ClipRect, (TRect{0, 1, 12, 4}));
    EXPECT_EQ(target.ClipRect, (TRect{0, 1, 12, 4}));
    EXPECT_EQ(wave.GetBitCount(), 32);
}

TEST(Mono, OtherFactorsDivideByTheBlockArea) {
    // Factor 2: a fully inked 2 × 2 block gives the full colour (a shift by 4
    // would only give a quarter).
    TDIBX glyph(2, 2, 1), dst(1, 1, 32);
    glyph.Fill(0);
    dst.DrawMono(0, 0, 2, 255, false, false, 0xFFFFFF, TRect{0, 0, 2, 2}, glyph);
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFFFFu);
}
