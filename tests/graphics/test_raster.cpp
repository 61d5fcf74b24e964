#include <gtest/gtest.h>

#include "graphics/raster.hpp"

using namespace mivo;

namespace {
int Count(TDIBX& s, uint32_t v) {
    int n = 0;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) n += s.GetPixel(x, y) == v;
    return n;
}
}  // namespace

TEST(Raster, LineDrawsBothEnds) {
    TDIBX s(10, 10, 32);
    DrawLine(s, 0, 0, 9, 9, 7);
    EXPECT_EQ(Count(s, 7), 10);
    EXPECT_EQ(s.GetPixel(9, 9), 7u);
    DrawLine(s, -100, 5, 100, 5, 8);  // clipped
    EXPECT_EQ(s.GetPixel(0, 5), 8u);
}

TEST(Raster, EllipseAndSectorAreas) {
    TDIBX s(100, 100, 32);
    FillEllipse(s, TRect{0, 0, 100, 100}, 1);
    const int full = Count(s, 1);
    EXPECT_NEAR(full, 7854, 60);  // π × 50²
    TDIBX q(100, 100, 32);
    FillSector(q, TRect{0, 0, 100, 100}, 0, 90, 1);  // clockwise from 3 o'clock: the lower right quarter
    EXPECT_NEAR(Count(q, 1), full / 4, 80);
    EXPECT_EQ(q.GetPixel(75, 75), 1u);
    EXPECT_EQ(q.GetPixel(25, 25), 0u);
}
