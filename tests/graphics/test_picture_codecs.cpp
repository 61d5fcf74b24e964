// BMP, PNG and JPEG pictures and the one loader entry.
#include <gtest/gtest.h>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "data/picture_codecs.hpp"
#include "data/pictures.hpp"
#include "vusk_builders.hpp"

using namespace mivo;
using namespace mivo::testing;

namespace {

// A bitmap file with an info header; pixel rows given as stored (bottom-up).
std::string Bmp(int32_t w, int32_t h, int bits, uint32_t compression, const std::vector<uint32_t>& palette,
                const std::string& pixels, const std::vector<uint32_t>& masks = {}) {
    std::string b = "BM";
    const uint32_t off = 14 + 40 + uint32_t(masks.size()) * 4 + uint32_t(palette.size()) * 4;
    PutI32(b, int32_t(off + pixels.size()));
    PutI32(b, 0);
    PutI32(b, int32_t(off));
    PutI32(b, 40);
    PutI32(b, w);
    PutI32(b, h);
    PutU8(b, 1), PutU8(b, 0), PutU8(b, uint8_t(bits)), PutU8(b, 0);
    PutI32(b, int32_t(compression));
    PutI32(b, int32_t(pixels.size()));
    PutI32(b, 0), PutI32(b, 0);
    PutI32(b, int32_t(palette.size()));
    PutI32(b, 0);
    for (uint32_t m : masks) PutI32(b, int32_t(m));
    for (uint32_t p : palette) PutI32(b, int32_t(p));
    return b + pixels;
}

uint32_t Px(const DecodedPicture& p, int32_t x, int32_t y) { return p.pixels.GetPixel(x, y); }

}  // namespace

TEST(Bmp, TwentyFourBitRoundTrip) {
    TDIBSurface s(5, 3, 24);
    PaintGradient(s);
    const std::string file = EncodeBmp24(s);
    const DecodedPicture p = DecodeBmp(file.data(), file.size(), "a.bmp");
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(Px(p, x, y), s.GetPixel(x, y));
    EXPECT_FALSE(p.alpha);
}

TEST(Bmp, PaletteDepthsAndRle) {
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // 1 bit, 3 × 2, bottom-up: bottom row 1 0 1, top row 0 1 0.
    const std::string one = Bmp(3, 2, 1, 0, {0, 0xFFFFFF}, std::string("\xA0\0\0\0\x40\0\0\0", 8));
    DecodedPicture p = DecodeBmp(one.data(), one.size(), "1.bmp");
    EXPECT_EQ(Px(p, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(p, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(Px(p, 1, 1), 0u);
    // 4 bits.
    const std::string four = Bmp(2, 1, 4, 0, pal, std::string("\x12\0\0\0", 4));
    p = DecodeBmp(four.data(), four.size(), "4.bmp");
    EXPECT_EQ(Px(p, 0, 0), 0xFF0000u);
    EXPECT_EQ(Px(p, 1, 0), 0x00FF00u);
    // RLE8: run of 3 × index 2, end of line, absolute 3 indices (1 2 3) + pad, end.
    const std::string rle8 = Bmp(3, 2, 8, 1, pal, std::string("\x03\x02\x00\x00\x00\x03\x01\x02\x03\x00\x00\x01", 12));
    p = DecodeBmp(rle8.data(), rle8.size(), "rle8.bmp");
    EXPECT_EQ(Px(p, 0, 1), 0x00FF00u);  // bottom row is stored first
    EXPECT_EQ(Px(p, 2, 0), 0x0000FFu);
    // RLE4: run of 3 alternating 1,2 then end.
    const std::string rle4 = Bmp(3, 1, 4, 2, pal, std::string("\x03\x12\x00\x01", 4));
    p = DecodeBmp(rle4.data(), rle4.size(), "rle4.bmp");
    EXPECT_EQ(Px(p, 0, 0), 0xFF0000u);
    EXPECT_EQ(Px(p, 1, 0), 0x00FF00u);
    EXPECT_EQ(Px(p, 2, 0), 0xFF0000u);
}

TEST(Bmp, SixteenAndThirtyTwoBits) {
    // 5-5-5 white and 5-6-5 bit fields red.
    const std::string w16 = Bmp(2, 1, 16, 0, {}, std::string("\xFF\x7F\x00\x00", 4));
    DecodedPicture p = DecodeBmp(w16.data(), w16.size(), "16.bmp");
    EXPECT_EQ(Px(p, 0, 0), 0xFFFFFFu);
    const std::string r565 = Bmp(2, 1, 16, 3, {}, std::string("\x00\xF8\x00\x00", 4), {0xF800, 0x07E0, 0x001F});
    p = DecodeBmp(r565.data(), r565.size(), "565.bmp");
    EXPECT_EQ(Px(p, 0, 0), 0xFF0000u);
    // 32 bits: a fourth byte in use becomes alpha; all zero means opaque (no alpha plane).
    const std::string a32 = Bmp(1, 1, 32, 0, {}, std::string("\x10\x20\x30\x80", 4));
    p = DecodeBmp(a32.data(), a32.size(), "a.bmp");
    EXPECT_EQ(Px(p, 0, 0), 0x302010u);
    ASSERT_TRUE(p.alpha);
    EXPECT_EQ(p.alpha->GetPixel(0, 0), 0x80u);
    const std::string o32 = Bmp(1, 1, 32, 0, {}, std::string("\x10\x20\x30\x00", 4));
    EXPECT_FALSE(DecodeBmp(o32.data(), o32.size(), "o.bmp").alpha);
}

TEST(Bmp, DamagedFilesNameTheFile) {
    const std::string good = Bmp(3, 2, 24, 0, {}, std::string(24, '\x55'));
    for (size_t n : {size_t(0), size_t(2), size_t(20), good.size() - 1}) {
        try {
            DecodeBmp(good.data(), n, "bad.bmp");
            FAIL() << n;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.bmp"), std::string::npos) << e.what();
        }
    }
    const std::string huge = Bmp(100000, 100000, 24, 0, {}, "");
    EXPECT_THROW(DecodeBmp(huge.data(), huge.size(), "huge.bmp"), FormatError);
}

TEST(Png, RoundTripWithAlpha) {
    TDIBSurface s(7, 5, 24), a(7, 5, 8);
    PaintGradient(s);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) a.SetPixel(x, y, uint32_t(x * 40));
    const std::string png = EncodePng(s, &a);
    const DecodedPicture p = DecodePng(png.data(), png.size(), "a.png");
    ASSERT_TRUE(p.alpha);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            EXPECT_EQ(Px(p, x, y), s.GetPixel(x, y));
            EXPECT_EQ(p.alpha->GetPixel(x, y), a.GetPixel(x, y));
        }
    EXPECT_THROW(DecodePng(png.data(), png.size() / 2, "half.png"), FormatError);
}

TEST(Jpeg, RoundTripIsClose) {
    TDIBSurface s(16, 16, 24);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) s.SetPixel(x, y, 0x806040);
    const std::string jpg = EncodeJpeg(s, 90);
    const DecodedPicture p = DecodeJpeg(jpg.data(), jpg.size(), "a.jpg");
    const uint32_t v = Px(p, 8, 8);
    EXPECT_NEAR(int(v >> 16), 0x80, 3);
    EXPECT_NEAR(int((v >> 8) & 255), 0x60, 3);
    EXPECT_NEAR(int(v & 255), 0x40, 3);
    EXPECT_THROW(DecodeJpeg(jpg.data(), 40, "cut.jpg"), FormatError);
}

TEST(Loader, RecognisesByContentNotName) {
    TDIBSurface s(3, 2, 24);
    PaintGradient(s);
    const std::string bmp = EncodeBmp24(s);
    TDIBX surface(1, 1, 32), alpha;
    // A stream beginning with "BM" is a bitmap whatever the name says.
    ASSERT_TRUE(LoadPicture(surface, bmp.data(), bmp.size(), "picture.png"));
    EXPECT_EQ(surface.GetWidth(), 3);
    EXPECT_EQ(surface.GetBitCount(), 32);
    EXPECT_EQ(surface.GetPixel(2, 1), s.GetPixel(2, 1));
    const std::string junk = "not a picture";
    EXPECT_FALSE(LoadPicture(surface, junk.data(), junk.size(), "x.bmp"));
    EXPECT_EQ(surface.GetWidth(), 3);  // unchanged

    TVuskFrameList list;
    BuildSample(list);
    const std::string vkx = list.SaveToBytes();
    TDIBX on16(1, 1, 16);
    ASSERT_TRUE(LoadPicture(on16, vkx.data(), vkx.size(), "a.vkx", 0, &alpha, 1));
    EXPECT_EQ(on16.GetBitCount(), 16);
    EXPECT_EQ(on16.GetWidth(), 32);
    EXPECT_EQ(on16.TransparentColor, on16.ColorToPixel(list.GetFrame(1).transparent_rgb));
}

TEST(Loader, RegionListsTravelWithThePicture) {
    TVuskFrameList list;
    BuildSample(list);
    const std::string vkx = list.SaveToBytes();
    TDIBX surface(1, 1, 32);
    ASSERT_TRUE(LoadPicture(surface, vkx.data(), vkx.size(), "regions.vkx"));
    EXPECT_EQ(surface.Regions1, list.GetFrame(0).regions1);
    EXPECT_EQ(surface.Regions2, list.GetFrame(0).regions2);
    ASSERT_TRUE(surface.Regions1.has_value());
    EXPECT_EQ(surface.Regions1->size(), 2u);
    // A new size alone keeps them: the next picture decides.
    surface.SetSize(5, 5, 32);
    EXPECT_TRUE(surface.Regions1.has_value());

    TDIBSurface s(3, 2, 24);
    PaintGradient(s);
    const std::string bmp = EncodeBmp24(s);
    ASSERT_TRUE(LoadPicture(surface, bmp.data(), bmp.size(), "plain.bmp"));
    EXPECT_FALSE(surface.Regions1.has_value());
    EXPECT_FALSE(surface.Regions2.has_value());

    ASSERT_TRUE(LoadPicture(surface, vkx.data(), vkx.size(), "regions.vkx"));
    const std::string png = EncodePng(s);
    ASSERT_TRUE(LoadPicture(surface, png.data(), png.size(), "plain.png"));
    EXPECT_FALSE(surface.Regions1.has_value());
    EXPECT_FALSE(surface.Regions2.has_value());
    // Frame 1 of the sample has no lists either.
    ASSERT_TRUE(LoadPicture(surface, vkx.data(), vkx.size(), "regions.vkx", 0, nullptr, 1));
    EXPECT_FALSE(surface.Regions1.has_value());
}
