#include <gtest/gtest.h>

#include "graphics/blit.hpp"
#include "graphics/dibx.hpp"
#include "test_pictures_helpers.hpp"

using namespace mivo;

TEST(Clip, AddClipClampsAndGrows) {
    TDIBX s(100, 50, 32);
    s.AddClip(TRect{200, 200, 300, 300});  // wholly outside
    EXPECT_EQ(s.ClipRect.right, 0);
    s.AddClip(TRect{-10, 10, 20, 30});
    EXPECT_EQ(s.ClipRect, (TRect{0, 10, 20, 30}));
    s.AddClip(TRect{50, 0, 60, 5});
    EXPECT_EQ(s.ClipRect, (TRect{0, 0, 60, 30}));
    s.ClearClip();
    EXPECT_EQ(s.DrawingArea(), (TRect{0, 0, 100, 50}));
}

struct ClipCase {
    const char* what;
    TRect area;
    int32_t x, y;
    TRect src, bounds;
    bool fh, fv;
    bool draws;
    BlitGeometry want;
};

TEST(Clip, CopyGeometry) {
    const TRect area{0, 0, 100, 100}, b10{0, 0, 10, 10};
    const ClipCase cases[] = {
        {"inside", area, 5, 6, b10, b10, false, false, true, {5, 6, 10, 10, 0, 0}},
        {"cut left", area, -3, 0, b10, b10, false, false, true, {0, 0, 7, 10, 3, 0}},
        // Flipped: the first destination column shows the right-most source
        // column, so a cut on the left removes the source's right part.
        {"cut left flipped", area, -3, 0, b10, b10, true, false, true, {0, 0, 7, 10, 0, 0}},
        {"cut right flipped", area, 95, 0, b10, b10, true, false, true, {95, 0, 5, 10, 5, 0}},
        {"cut top flipped", area, 0, -4, b10, b10, false, true, true, {0, 0, 10, 6, 0, 0}},
        {"source rect beyond the source", area, 0, 0, TRect{-5, -5, 20, 20}, b10, false, false, true,
         {5, 5, 10, 10, 0, 0}},
        {"source rect beyond, flipped", area, 0, 0, TRect{-5, 0, 12, 10}, b10, true, false, true,
         {2, 0, 10, 10, 0, 0}},
        {"nothing left", area, 200, 0, b10, b10, false, false, false, {}},
        {"empty source", area, 0, 0, TRect{3, 3, 3, 9}, b10, false, false, false, {}},
        {"far positions do not overflow", area, INT32_MIN, INT32_MAX, b10, b10, false, false, false, {}},
    };
    for (const ClipCase& c : cases) {
        BlitGeometry g;
        const bool draws = ClipCopy(c.area, c.x, c.y, c.src, c.bounds, c.fh, c.fv, g);
        ASSERT_EQ(draws, c.draws) << c.what;
        if (!draws) continue;
        EXPECT_EQ(g.dx, c.want.dx) << c.what;
        EXPECT_EQ(g.dy, c.want.dy) << c.what;
        EXPECT_EQ(g.w, c.want.w) << c.what;
        EXPECT_EQ(g.h, c.want.h) << c.what;
        EXPECT_EQ(g.sx, c.want.sx) << c.what;
        EXPECT_EQ(g.sy, c.want.sy) << c.what;
    }
}

TEST(Clip, FlippedDrawCutOnTheLeftShowsTheSourcesLeftPart) {
    TDIBX src(10, 1, 32), dst(5, 1, 32);
    for (int32_t x = 0; x < 10; ++x) src.SetPixel(x, 0, uint32_t(x + 1));
    dst.Draw(-5, 0, false, true, false, TRect{0, 0, 10, 1}, src);
    // Mirrored row is 10 9 8 7 6 | 5 4 3 2 1; the visible half is the source's columns 4..0.
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(dst.GetPixel(x, 0), uint32_t(5 - x));
}

TEST(Clip, DrawingOutsideTheClipIsSkipped) {
    TDIBX src(4, 4, 32), dst(4, 4, 32);
    src.Fill(0xFFFFFF);
    dst.AddClip(TRect{1, 1, 3, 3});
    dst.DrawAll(src);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
    EXPECT_EQ(dst.GetPixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(dst.GetPixel(3, 3), 0u);
}

TEST(Clip, MaskSmallerThanTheSourceLimitsTheDraw) {
    TDIBX src(8, 8, 32), dst(8, 8, 32), mask(4, 4, 8);
    src.Fill(0xFFFFFF);
    mask.Fill(255);
    dst.DrawMask(0, 0, mask, false, false, TRect{0, 0, 8, 8}, src);
    EXPECT_EQ(dst.GetPixel(3, 3), 0xFFFFFFu);
    EXPECT_EQ(dst.GetPixel(4, 4), 0u);
}

TEST(Clip, FormatMismatchOrWrongMaskDrawsNothing) {
    TDIBX src(4, 4, 16), dst(4, 4, 32), mask(4, 4, 32);
    src.Fill(0xFFFF);
    dst.DrawAll(src);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
    TDIBX src32(4, 4, 32);
    src32.Fill(0xFFFFFF);
    dst.DrawMask(0, 0, mask, false, false, TRect{0, 0, 4, 4}, src32);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
}
