#include <gtest/gtest.h>

#include "graphics/dibx.hpp"

using namespace mivo;

namespace {

// Each pixel says where it is: column + 1 in the low half, row + 1 in the high half.
struct Columns : TDIBX {
    Columns(int32_t w, int32_t h) : TDIBX(w, h, 32) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) SetPixel(x, y, uint32_t(x + 1) | uint32_t(y + 1) << 16);
    }
};

}  // namespace

TEST(Stretch, DoublesEveryColumn) {
    Columns src(10, 1);
    TDIBX dst(20, 1, 32);
    dst.StretchDraw(TRect{0, 0, 20, 1}, src, 255, false, false, false, TRect{0, 0, 10, 1});
    for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(dst.GetPixel(x, 0) & 0xFFFF, uint32_t(x / 2 + 1)) << x;
    dst.StretchDraw(TRect{0, 0, 20, 1}, src, 255, false, true, false, TRect{0, 0, 10, 1});
    EXPECT_EQ(dst.GetPixel(0, 0) & 0xFFFF, 10u);  // source column 9
    EXPECT_EQ(dst.GetPixel(19, 0) & 0xFFFF, 1u);
}

TEST(Stretch, SpansWiderThanAnyFixedTable) {
    Columns src(100, 2);
    TDIBX dst(3000, 2, 32);
    dst.StretchDraw(TRect{0, 0, 3000, 2}, src, 255, false, false, false, TRect{0, 0, 100, 2});
    EXPECT_EQ(dst.GetPixel(0, 0) & 0xFFFF, 1u);
    EXPECT_EQ(dst.GetPixel(2999, 1) & 0xFFFF, 100u);
    // The 16.16 step is truncated (2184 for 100/3000), so column 1500 reads 49.98 → 49.
    EXPECT_EQ(dst.GetPixel(1500, 0) & 0xFFFF, 50u);
}

TEST(Stretch, ClippedOnTheLeftKeepsThePhase) {
    Columns src(10, 1);
    TDIBX dst(20, 1, 32);
    dst.AddClip(TRect{5, 0, 20, 1});
    dst.StretchDraw(TRect{0, 0, 20, 1}, src, 255, false, false, false, TRect{0, 0, 10, 1});
    EXPECT_EQ(dst.GetPixel(4, 0), 0u);
    for (int32_t x = 5; x < 20; ++x) EXPECT_EQ(dst.GetPixel(x, 0) & 0xFFFF, uint32_t(x / 2 + 1)) << x;
}

TEST(Stretch, EmptyDestinationDrawsNothing) {
    Columns src(10, 1);
    TDIBX dst(20, 1, 32);
    dst.StretchDraw(TRect{5, 0, 5, 1}, src, 255, false, false, false, TRect{0, 0, 10, 1});
    dst.StretchDraw(TRect{0, 0, 20, 1}, src, 0, false, false, false, TRect{0, 0, 10, 1});
    for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(dst.GetPixel(x, 0), 0u);
}

TEST(Rotate, QuarterTurnClockwise) {
    // A 3 × 2 picture turned by 64 about its top-left pixel lands left-down of the pivot.
    Columns src(3, 2);
    TDIBX dst(10, 10, 32);
    dst.DrawRotate(5, 5, 255, false, false, false, 64, 0, 0, TRect{0, 0, 3, 2}, src, 256, 256);
    // Source (u, v) → (5 − v, 5 + u).
    for (int32_t v = 0; v < 2; ++v)
        for (int32_t u = 0; u < 3; ++u) EXPECT_EQ(dst.GetPixel(5 - v, 5 + u), src.GetPixel(u, v)) << u << "," << v;
}

TEST(Rotate, ZoomDoublesAndZeroDrawsNothing) {
    Columns src(2, 2);
    TDIBX dst(8, 8, 32);
    dst.DrawRotate(0, 0, 255, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, src, 512, 512);
    EXPECT_EQ(dst.GetPixel(0, 0), src.GetPixel(0, 0));
    EXPECT_EQ(dst.GetPixel(1, 1), src.GetPixel(0, 0));
    EXPECT_EQ(dst.GetPixel(3, 3), src.GetPixel(1, 1));
    EXPECT_EQ(dst.GetPixel(4, 4), 0u);
    TDIBX other(8, 8, 32);
    other.DrawRotate(0, 0, 255, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, src, 0, 256);
    other.DrawRotate(0, 0, 0, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, src, 256, 256);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(other.GetPixel(x, y), 0u);
}

TEST(Rotate, FarPositionsAreClippedSafely) {
    Columns src(4, 4);
    TDIBX dst(8, 8, 32);
    dst.DrawRotate(INT32_MAX, INT32_MIN, 255, false, false, false, 37, 2, 2, TRect{-100, -100, 100, 100}, src, 9000,
                   1);
    dst.DrawRotate(4, 4, 300, true, true, false, 200, 2, 2, TRect{0, 0, 4, 4}, src, 256, 256);
    SUCCEED();
}
