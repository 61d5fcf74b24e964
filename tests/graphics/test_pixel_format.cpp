#include <gtest/gtest.h>

#include "core/error.hpp"
#include "graphics/dibx.hpp"
#include "graphics/pixel_format.hpp"

using namespace mivo;

struct ColourCase {
    int bits;
    int32_t colour;
    int32_t pixel;
};

TEST(PixelFormat, ColorToPixelPlacesEachChannel) {
    const ColourCase cases[] = {
        {32, 0x00112233, 0x00332211}, {24, 0x000000FF, 0x00FF0000}, {16, 0x00FFFFFF, 0xFFFF},
        {16, 0x000000FF, 0xF800},     {16, 0x0000FF00, 0x07E0},     {15, 0x00FFFFFF, 0x7FFF},
        {15, 0x0000FF00, 0x03E0},     {15, 0x00FF0000, 0x001F},     {8, 0x00000005, 5},
        {32, -1, -1},                 {16, -5, -1},
    };
    for (const ColourCase& c : cases)
        EXPECT_EQ(ColorToPixel(FormatForBitCount(c.bits), c.colour), c.pixel) << c.bits << " " << std::hex << c.colour;
}

TEST(PixelFormat, PixelToColorWidensSoWhiteStaysWhite) {
    for (int bits : {15, 16, 24, 32}) {
        const PixelFormat f = FormatForBitCount(bits);
        EXPECT_EQ(PixelToColor(f, uint32_t(ColorToPixel(f, 0xFFFFFF))), 0xFFFFFF) << bits;
        EXPECT_EQ(PixelToColor(f, 0), 0) << bits;
    }
    const uint32_t palette[2] = {0x00FF0000 /* red entry: blue 0, green 0, red FF */, 0x000000FF};
    EXPECT_EQ(PixelToColor(FormatForBitCount(8), 0, palette, 2), 0x0000FF);
    EXPECT_EQ(PixelToColor(FormatForBitCount(8), 1, palette, 2), 0xFF0000);
}

TEST(PixelFormat, FifteenBitsIsStoredAsSixteen) {
    TDIBX s(4, 4, 15);
    EXPECT_EQ(s.GetBitCount(), 15);
    EXPECT_EQ(s.GetStoredBitCount(), 16);
    EXPECT_EQ(s.GetGreenMask(), 0x03E0u);
    EXPECT_EQ(s.GetRedShift(), 10);
    s.SetBitCount(16);
    EXPECT_EQ(s.GetGreenMask(), 0x07E0u);
    EXPECT_EQ(s.GetGreenShift(), 5);
}

TEST(Surface, NewSurfaceIsOnePixelFifteenBits) {
    TDIBX s;
    EXPECT_EQ(s.GetWidth(), 1);
    EXPECT_EQ(s.GetBitCount(), 15);
    EXPECT_EQ(s.TransparentColor, -1);
    EXPECT_EQ(s.ClipRect.right, 0);
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Lock(0, 0), nullptr);
}

TEST(Surface, SizesAreCapped) {
    TDIBX s;
    EXPECT_THROW(s.SetSize(-1, 5, 32), Error);
    EXPECT_THROW(s.SetSize(kMaxSurfaceSide + 1, 1, 32), Error);
    EXPECT_THROW(s.SetSize(kMaxSurfaceSide, kMaxSurfaceSide, 32), Error);
    EXPECT_THROW(s.SetSize(4, 4, 12), Error);
    EXPECT_NO_THROW(s.SetSize(kMaxSurfaceSide, 1, 32));
}

TEST(Surface, ThirtyTwoBitPixelsKeepTheFourthByteZero) {
    TDIBX s(2, 1, 32);
    s.SetPixel(0, 0, 0xAB123456);
    EXPECT_EQ(s.GetPixel(0, 0), 0x00123456u);
    s.Fill(0xFF00FF00);
    EXPECT_EQ(s.GetPixel(1, 0), 0x0000FF00u);
}

TEST(Surface, FillWorksOnEveryDepth) {
    for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
        TDIBX s(13, 3, bits);
        s.Fill(1);
        for (int32_t x = 0; x < 13; ++x) EXPECT_EQ(s.GetPixel(x, 2), 1u) << bits;
    }
    TDIBX four(3, 1, 4);
    four.Fill(0xA);
    EXPECT_EQ(four.GetPixel(1, 0), 0xAu);
}
