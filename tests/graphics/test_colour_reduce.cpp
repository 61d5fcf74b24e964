// Colour reduction for screens of few bits: palettes by median cut, the
// ordered dither to high-colour levels, and the frame list's convert step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "data/colour_reduce.hpp"
#include "data/picture_codecs.hpp"
#include "data/vuskframes.hpp"
#include "vusk_builders.hpp"

using namespace mivo;
using namespace mivo::testing;

namespace {

// 0x00RRGGBB of a pixel of any format.
uint32_t Rgb(const TDIBSurface& s, int32_t x, int32_t y) {
    const uint32_t c = uint32_t(PixelToColor(s.Format(), s.GetPixel(x, y), s.Palette().data(), s.PaletteSize()));
    return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int Distance2(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
        const int c = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        d += c * c;
    }
    return d;
}

std::set<uint32_t> ColoursOf(const TDIBSurface& s) {
    std::set<uint32_t> out;
    for (int32_t y = 0; y < s.Height(); ++y)
        for (int32_t x = 0; x < s.Width(); ++x) out.insert(Rgb(s, x, y));
    return out;
}

bool SameBytes(const TDIBSurface& a, const TDIBSurface& b) {
    return a.BitCount() == b.BitCount() && a.Width() == b.Width() && a.Height() == b.Height() &&
           RowsOf(a) == RowsOf(b) && (a.BitCount() > 8 || a.Palette() == b.Palette());
}

// Smooth shading with some grain, like a photograph: many colours, few
// repeated exactly.
void PaintPhoto(TDIBSurface& s, uint32_t seed) {
    Rng rng(seed);
    for (int32_t y = 0; y < s.Height(); ++y)
        for (int32_t x = 0; x < s.Width(); ++x) {
            const double u = x / 97.0, v = y / 71.0;
            const int r = int(128 + 100 * std::sin(u) * std::cos(v)) + rng.Range(-6, 6);
            const int g = int(120 + 90 * std::cos(u * 0.7 + v)) + rng.Range(-6, 6);
            const int b = int(110 + 80 * std::sin(v * 1.3 - u * 0.4)) + rng.Range(-6, 6);
            const auto c = [](int value) { return uint32_t(std::clamp(value, 0, 255)); };
            s.SetPixel(x, y, c(r) << 16 | c(g) << 8 | c(b));
        }
}

// A picture of exactly `n` colours (n ≤ 256) in a shuffled layout.
TDIBSurface FewColourPicture(int bits, int n, uint32_t seed) {
    TDIBSurface s(23, 17, bits);
    Rng rng(seed);
    std::vector<uint32_t> colours;
    for (int i = 0; i < n; ++i) colours.push_back(rng.Next() & 0xFFFFFF);
    for (int32_t y = 0; y < s.Height(); ++y)
        for (int32_t x = 0; x < s.Width(); ++x) {
            const int i = (x + y * s.Width()) < n ? x + y * s.Width() : int(rng.Next() % uint32_t(n));
            s.SetPixel(x, y, colours[size_t(i)]);
        }
    return s;
}

bool IsLevel(uint32_t value, const uint8_t* expansion, int levels) {
    return std::find(expansion, expansion + levels, uint8_t(value)) != expansion + levels;
}

}  // namespace

TEST(ColourReduce, FewColoursAreKeptExactly) {
    for (int bits : {24, 32})
        for (int target : {1, 4, 8}) {
            const int n = 1 << target;
            TDIBSurface pic = FewColourPicture(bits, n, uint32_t(target * 7 + bits));
            const TDIBSurface before = pic;
            ASSERT_EQ(ColoursOf(before).size(), size_t(n));
            EXPECT_EQ(ReduceColours(pic, target), -1);
            ASSERT_EQ(pic.BitCount(), 8);
            for (int32_t y = 0; y < pic.Height(); ++y)
                for (int32_t x = 0; x < pic.Width(); ++x)
                    ASSERT_EQ(Rgb(pic, x, y), Rgb(before, x, y))
                        << bits << " bits to " << target << " at " << x << "," << y;
        }
}

TEST(ColourReduce, PalettePicturesUsingFewEntriesKeepThem) {
    TDIBSurface pic(20, 10, 8);
    for (int i = 0; i < 256; ++i) pic.Palette()[size_t(i)] = uint32_t(i * 0x010203) & 0xFFFFFF;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) pic.SetPixel(x, y, uint32_t((x * 13 + y) % 16) * 9);
    const TDIBSurface before = pic;
    ReduceColours(pic, 4);
    EXPECT_TRUE(SameBytes(pic, before));
    // Fewer bits become 8, keeping indices and palette.
    TDIBSurface nibbles(9, 5, 4);
    for (int i = 0; i < 16; ++i) nibbles.Palette()[size_t(i)] = uint32_t(i) * 0x0F0E0D;
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 9; ++x) nibbles.SetPixel(x, y, uint32_t(x + y) & 15);
    TDIBSurface widened = nibbles;
    EXPECT_EQ(ReduceColours(widened, 8, 3), 3);
    ASSERT_EQ(widened.BitCount(), 8);
    EXPECT_EQ(widened.Palette(), nibbles.Palette());
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 9; ++x) ASSERT_EQ(widened.GetPixel(x, y), nibbles.GetPixel(x, y));
    // Using all 256 entries, it is reduced like any other picture.
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) pic.SetPixel(x, y, uint32_t(x + 20 * y) & 0xFF);
    ReduceColours(pic, 4);
    EXPECT_EQ(pic.BitCount(), 8);
    EXPECT_LE(ColoursOf(pic).size(), 16u);
}

TEST(ColourReduce, GradientToSixteenColoursStaysClose) {
    TDIBSurface pic(64, 48, 24);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            pic.SetPixel(x, y, uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t((x + y) * 2));
    const TDIBSurface before = pic;
    ASSERT_GT(ColoursOf(before).size(), 1000u);
    ReduceColours(pic, 4);
    ASSERT_EQ(pic.BitCount(), 8);
    EXPECT_LE(ColoursOf(pic).size(), 16u);
    // Sixteen boxes over this plane are about 63 × 59 × 56 values each; half
    // the diagonal of such a box is 52, and the root mean square distance
    // within one 30.
    int worst = 0;
    int64_t total = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const int d = Distance2(Rgb(pic, x, y), Rgb(before, x, y));
            worst = std::max(worst, d);
            total += d;
        }
    EXPECT_LE(std::sqrt(double(worst)), 56.0);
    EXPECT_LE(std::sqrt(double(total) / (64 * 48)), 30.0);
}

TEST(ColourReduce, PhotoTo256ColoursUsesThemWell) {
    TDIBSurface pic(200, 150, 32);
    PaintPhoto(pic, 5);
    const TDIBSurface before = pic;
    ReduceColours(pic, 8);
    ASSERT_EQ(pic.BitCount(), 8);
    EXPECT_GT(ColoursOf(pic).size(), 200u);
    EXPECT_LE(ColoursOf(pic).size(), 256u);
    int worst = 0;
    for (int32_t y = 0; y < pic.Height(); ++y)
        for (int32_t x = 0; x < pic.Width(); ++x) worst = std::max(worst, Distance2(Rgb(pic, x, y), Rgb(before, x, y)));
    EXPECT_LE(std::sqrt(double(worst)), 24.0);
}

TEST(ColourReduce, SameInputSameBytes) {
    for (int target : {3, 8, 15, 16}) {
        TDIBSurface a(120, 90, 24);
        PaintPhoto(a, 11);
        TDIBSurface b = a;
        ReduceColours(a, target);
        ReduceColours(b, target);
        EXPECT_TRUE(SameBytes(a, b)) << target;
    }
}

TEST(ColourReduce, HighColourDitherWritesScreenLevels) {
    for (int target : {15, 16})
        for (int bits : {24, 32}) {
            TDIBSurface pic(96, 64, bits);
            PaintPhoto(pic, uint32_t(target + bits));
            ReduceColours(pic, target);
            ASSERT_EQ(pic.BitCount(), bits);
            for (int32_t y = 0; y < pic.Height(); ++y)
                for (int32_t x = 0; x < pic.Width(); ++x) {
                    const uint32_t v = pic.GetPixel(x, y);
                    ASSERT_TRUE(IsLevel(v >> 16, kExpand5.data(), 32)) << std::hex << v;
                    ASSERT_TRUE(IsLevel(v & 0xFF, kExpand5.data(), 32)) << std::hex << v;
                    if (target == 16) ASSERT_TRUE(IsLevel((v >> 8) & 0xFF, kExpand6.data(), 64)) << std::hex << v;
                    else ASSERT_TRUE(IsLevel((v >> 8) & 0xFF, kExpand5.data(), 32)) << std::hex << v;
                }
        }
}

TEST(ColourReduce, HighColourDitherKeepsBrightnessAndExactLevels) {
    // A flat colour between two levels becomes a mix of both whose mean is
    // the colour; one that is a level already does not change.
    TDIBSurface pic(16, 16, 24), exact(16, 16, 24);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            pic.SetPixel(x, y, 0x806C3A);
            exact.SetPixel(x, y, uint32_t(kExpand5[17]) << 16 | uint32_t(kExpand6[40]) << 8 | kExpand5[3]);
        }
    const TDIBSurface exact_before = exact;
    ReduceColours(pic, 16);
    ReduceColours(exact, 16);
    EXPECT_TRUE(SameBytes(exact, exact_before));
    double sum[3] = {};
    std::set<uint32_t> seen;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const uint32_t v = pic.GetPixel(x, y);
            seen.insert(v);
            for (int c = 0; c < 3; ++c) sum[c] += double((v >> (16 - 8 * c)) & 0xFF);
        }
    EXPECT_GT(seen.size(), 1u);
    EXPECT_NEAR(sum[0] / 256, 0x80, 1.0);
    EXPECT_NEAR(sum[1] / 256, 0x6C, 1.0);
    EXPECT_NEAR(sum[2] / 256, 0x3A, 1.0);
}

TEST(ColourReduce, OtherBitCountsChangeNothing) {
    for (int target : {0, -3, 9, 24, 32}) {
        TDIBSurface pic(40, 30, 32);
        PaintPhoto(pic, 3);
        const TDIBSurface before = pic;
        EXPECT_EQ(ReduceColours(pic, target, 0x123456), 0x123456);
        EXPECT_TRUE(SameBytes(pic, before)) << target;
    }
    // High-colour levels need a true-colour picture to dither.
    TDIBSurface pic16(40, 30, 16);
    PaintGradient(pic16);
    const TDIBSurface before16 = pic16;
    ReduceColours(pic16, 15);
    EXPECT_TRUE(SameBytes(pic16, before16));
    TDIBSurface empty;
    EXPECT_EQ(ReduceColours(empty, 8, 5), 5);
}

TEST(ColourReduce, TheKeyStillMarksTheSamePixels) {
    const uint32_t key = 0x000000;
    TDIBSurface pic(60, 40, 24);
    PaintPhoto(pic, 9);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            if ((x / 5 + y / 5) % 3 == 0) pic.SetPixel(x, y, key);
            else if ((x + y) % 7 == 0) pic.SetPixel(x, y, 0x030203);  // nearly the key
        }
    for (int target : {1, 4, 8, 15, 16}) {
        TDIBSurface out = pic;
        const int32_t k = ReduceColours(out, target, int32_t(key));
        ASSERT_NE(k, -1) << target;
        if (target <= 8) {
            EXPECT_EQ(out.Palette()[size_t(k)] & 0xFFFFFF, key) << target;
            EXPECT_LE(ColoursOf(out).size(), size_t(1) << target);
        }
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 60; ++x)
                ASSERT_EQ(out.GetPixel(x, y) == uint32_t(k), pic.GetPixel(x, y) == key)
                    << target << " " << x << "," << y;
    }
    // Sixteen colours counting the key are kept exactly.
    TDIBSurface few = FewColourPicture(32, 16, 4);
    const int32_t few_key = int32_t(few.GetPixel(3, 0));
    const TDIBSurface few_before = few;
    const int32_t k = ReduceColours(few, 4, few_key);
    for (int32_t y = 0; y < few.Height(); ++y)
        for (int32_t x = 0; x < few.Width(); ++x) {
            ASSERT_EQ(Rgb(few, x, y), Rgb(few_before, x, y));
            ASSERT_EQ(few.GetPixel(x, y) == uint32_t(k), few_before.GetPixel(x, y) == uint32_t(few_key));
        }
}

// ---- the frame list's convert step

namespace {

TVuskFrameList LoadConverted(const std::string& bytes, int target, bool layers = false) {
    TVuskFrameList list;
    list.TargetBitCount = target;
    VuskLoadOptions options;
    options.convert = true;
    options.keep_layer_palettes = layers;
    list.LoadFromBytes(bytes.data(), bytes.size(), "converted.vkx", options);
    return list;
}

// Two frames of a palette picture with a gradient over 200 entries.
std::string PaletteSample() {
    TVuskFrameList list;
    for (int i = 0; i < 2; ++i) {
        TVuskFrame& f = list.AddFrame();
        f.picture.SetSize(30, 20, 8);
        for (int e = 0; e < 256; ++e)
            f.picture.Palette()[size_t(e)] = uint32_t(e) << 16 | uint32_t(255 - e) << 8 | 0x40;
        TVuskLayer& l = AddLayer(f, "bg");
        l.picture.Palette() = f.picture.Palette();
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 30; ++x) l.picture.SetPixel(x, y, uint32_t(x * 6 + y + i) % 200);
    }
    return list.SaveToBytes();
}

}  // namespace

TEST(ColourReduceFrames, WithoutATargetPaletteFramesBecome24Bits) {
    const std::string bytes = PaletteSample();
    const TVuskFrameList plain = LoadConverted(bytes, 0);
    TVuskFrameList raw;
    raw.LoadFromBytes(bytes.data(), bytes.size(), "raw.vkx");
    for (int i = 0; i < 2; ++i) {
        const TVuskFrame& f = plain.GetFrame(i);
        ASSERT_EQ(f.picture.BitCount(), 24);
        EXPECT_TRUE(SameBytes(f.picture, ConvertTo24(raw.GetFrame(i).picture)));
    }
}

TEST(ColourReduceFrames, ATargetReducesInsteadOfWidening) {
    const std::string bytes = PaletteSample();
    const TVuskFrameList list = LoadConverted(bytes, 4);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list.GetFrame(i).picture.BitCount(), 8);
        EXPECT_LE(ColoursOf(list.GetFrame(i).picture).size(), 16u);
    }
    // 24 and 32 bits leave the pictures as read.
    TVuskFrameList raw;
    raw.LoadFromBytes(bytes.data(), bytes.size(), "raw.vkx");
    TVuskFrameList sample;
    BuildSample(sample);
    const std::string bytes32 = sample.SaveToBytes();
    TVuskFrameList raw32;
    raw32.LoadFromBytes(bytes32.data(), bytes32.size(), "raw32.vkx");
    for (int target : {24, 32}) {
        const TVuskFrameList same = LoadConverted(bytes, target);
        const TVuskFrameList same32 = LoadConverted(bytes32, target, true);
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(SameBytes(same.GetFrame(i).picture, raw.GetFrame(i).picture)) << target;
            EXPECT_TRUE(SameBytes(same32.GetFrame(i).picture, raw32.GetFrame(i).picture)) << target;
            for (size_t k = 0; k < raw32.GetFrame(i).layers.size(); ++k)
                EXPECT_TRUE(SameBytes(same32.GetFrame(i).layers[k]->picture, raw32.GetFrame(i).layers[k]->picture));
        }
    }
}

TEST(ColourReduceFrames, AFrameKeyedWithoutAlphaIsNotReduced) {
    TVuskFrame f;
    f.picture.SetSize(40, 30, 32);
    PaintPhoto(f.picture, 2);
    f.transparent_color = int32_t(f.picture.GetPixel(0, 0));
    f.transparent_rgb = PixelToColor(f.picture.Format(), uint32_t(f.transparent_color));
    const TDIBSurface before = f.picture;
    ReduceFrameColours(f, 8, false);
    EXPECT_TRUE(SameBytes(f.picture, before));
    EXPECT_EQ(f.transparent_color, int32_t(before.GetPixel(0, 0)));
    // Given an alpha plane first, as the convert step does, it is.
    MakeAlphaFromTransparent(f, false);
    const TDIBSurface alpha = *f.alpha;
    ReduceFrameColours(f, 8, false);
    EXPECT_EQ(f.picture.BitCount(), 8);
    EXPECT_TRUE(SameBytes(*f.alpha, alpha));
    EXPECT_EQ(f.picture.GetPixel(0, 0), uint32_t(f.transparent_color));
    EXPECT_EQ(PixelToColor(f.picture.Format(), uint32_t(f.transparent_color), f.picture.Palette().data(), 256),
              f.transparent_rgb);
}

TEST(ColourReduceFrames, ConvertMakesTheAlphaFirstThenReduces) {
    TVuskFrameList sample;
    BuildSample(sample);  // keyed frames without alpha planes
    const std::string bytes = sample.SaveToBytes();
    TVuskFrameList raw;
    raw.LoadFromBytes(bytes.data(), bytes.size(), "raw.vkx");
    const TVuskFrameList list = LoadConverted(bytes, 4, true);
    for (int i = 0; i < 2; ++i) {
        const TVuskFrame& a = raw.GetFrame(i);
        const TVuskFrame& b = list.GetFrame(i);
        ASSERT_FALSE(a.alpha.has_value());
        ASSERT_TRUE(b.alpha.has_value());
        ASSERT_EQ(b.picture.BitCount(), 8);
        EXPECT_EQ(b.transparent_rgb, a.transparent_rgb);
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                const bool keyed = a.picture.GetPixel(x, y) == uint32_t(a.transparent_color);
                ASSERT_EQ(b.alpha->GetPixel(x, y), keyed ? 0u : 255u);
                ASSERT_EQ(b.picture.GetPixel(x, y) == uint32_t(b.transparent_color), keyed);
            }
        // Layers go the same way: the keyed one without an alpha plane stays.
        ASSERT_EQ(b.layers.size(), 3u);
        EXPECT_EQ(b.layers[0]->picture.BitCount(), 8);
        EXPECT_TRUE(SameBytes(b.layers[1]->picture, a.layers[1]->picture));
        EXPECT_EQ(b.layers[1]->transparent_color, a.layers[1]->transparent_color);
        EXPECT_EQ(b.layers[2]->picture.BitCount(), 8);
        EXPECT_TRUE(SameBytes(*b.layers[2]->alpha, *a.layers[2]->alpha));
    }
}
