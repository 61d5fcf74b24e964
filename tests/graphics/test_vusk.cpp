// Layered images: the order generator, the writer and reader round trip,
// protection, options and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>

#include "core/error.hpp"
#include "data/vusk_probe.hpp"
#include "data/vuskframes.hpp"
#include "vusk_builders.hpp"

using namespace mivo;
using namespace mivo::testing;

namespace {

// The generator as described: a list, and erase at (x mod length).
std::vector<uint32_t> NaivePermutation(uint32_t n, uint32_t seed) {
    std::vector<uint32_t> left(n), out;
    std::iota(left.begin(), left.end(), 0u);
    uint32_t x = 0;
    while (!left.empty()) {
        x = 5 * x + seed;
        const size_t pos = x % left.size();
        out.push_back(left[pos]);
        left.erase(left.begin() + long(pos));
    }
    return out;
}

void ExpectSameSurface(const TDIBSurface& a, const TDIBSurface& b, const std::string& what) {
    ASSERT_EQ(a.Width(), b.Width()) << what;
    ASSERT_EQ(a.Height(), b.Height()) << what;
    ASSERT_EQ(a.BitCount(), b.BitCount()) << what;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x) ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << what << " " << x << "," << y;
}

TVuskFrameList RoundTrip(const TVuskFrameList& list, const VuskSaveOptions& save, int32_t read_ident,
                         std::string* bytes_out = nullptr) {
    const std::string bytes = list.SaveToBytes(save);
    if (bytes_out) *bytes_out = bytes;
    TVuskFrameList back(read_ident);
    back.LoadFromBytes(bytes.data(), bytes.size(), "roundtrip.vkx");
    return back;
}

}  // namespace

TEST(VuskPermutation, MatchesTheGeneratorAndTheExamples) {
    EXPECT_EQ(VuskPermutation(3, 0), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(VuskPermutation(3, 1), (std::vector<uint32_t>{1, 0, 2}));
    for (uint32_t seed : {1u, 7u, 0x12345678u, 0xFFFFFFFFu})
        for (uint32_t n : {0u, 1u, 2u, 5u, 64u, 200u}) EXPECT_EQ(VuskPermutation(n, seed), NaivePermutation(n, seed));
    std::vector<uint32_t> big = VuskPermutation(100000, 99);
    std::sort(big.begin(), big.end());
    for (uint32_t i = 0; i < big.size(); ++i) ASSERT_EQ(big[i], i);
}

class VuskRoundTrip : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(VuskRoundTrip, KeepsFramesLayersAndFields) {
    const auto [compression, bits] = GetParam();
    TVuskFrameList list;
    BuildSample(list, bits);
    list.FirstLayerOpaque = true;
    VuskSaveOptions save;
    save.compression = compression;
    std::string bytes;
    const TVuskFrameList back = RoundTrip(list, save, 0, &bytes);
    EXPECT_TRUE(IsLayeredImage(bytes.data(), bytes.size()));
    EXPECT_EQ(IsUncompressedLayeredImage(bytes.data(), bytes.size()), compression == kVuskRaw);
    EXPECT_EQ(back.Version(), 106);
    EXPECT_EQ(back.Compression(), compression);
    EXPECT_EQ(back.BackgroundColor, 0x102030);
    EXPECT_TRUE(back.FirstLayerOpaque);
    ASSERT_EQ(back.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TVuskFrame& a = list.GetFrame(i);
        const TVuskFrame& b = back.GetFrame(i);
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.display_time, a.display_time);
        EXPECT_EQ(b.flags, a.flags);
        // The transparent colour comes back in the form it was given.
        EXPECT_EQ(b.transparent_color, a.transparent_color);
        EXPECT_EQ(b.transparent_rgb, a.transparent_rgb);
        EXPECT_EQ(b.regions1, a.regions1);
        EXPECT_EQ(b.regions2, a.regions2);
        ASSERT_EQ(b.layers.size(), a.layers.size());
        for (size_t k = 0; k < a.layers.size(); ++k) {
            const TVuskLayer& la = *a.layers[k];
            const TVuskLayer& lb = *b.layers[k];
            EXPECT_EQ(lb.name, la.name);
            EXPECT_EQ(lb.opacity, la.opacity);
            EXPECT_EQ(lb.alpha_flag, la.alpha_flag);
            EXPECT_EQ(lb.alpha.has_value(), la.alpha.has_value());
            if (la.alpha) ExpectSameSurface(*la.alpha, *lb.alpha, "alpha plane");
            if (compression != kVuskJpeg) ExpectSameSurface(la.picture, lb.picture, lb.name);
        }
        // Only the first drawn layer's alpha plane becomes the frame's.
        EXPECT_FALSE(b.alpha.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, VuskRoundTrip,
                         ::testing::Combine(::testing::Values(int(kVuskZlib), int(kVuskRaw), int(kVuskJpeg)),
                                            ::testing::Values(32, 24, 16, 15)));

TEST(Vusk, ProtectionOrdersRowsByTheCode) {
    TVuskFrameList list(0x1234567);
    BuildSample(list);
    std::string bytes;
    const TVuskFrameList same = RoundTrip(list, {}, 0x1234567, &bytes);
    EXPECT_TRUE(same.Protected());
    EXPECT_EQ(same.Compression(), kVuskRaw);  // protected planes are stored raw
    ExpectSameSurface(same.GetFrame(0).layers[0]->picture, list.GetFrame(0).layers[0]->picture, "layer 0");
    ExpectSameSurface(same.GetFrame(1).layers[0]->picture, list.GetFrame(1).layers[0]->picture, "layer");
    // A wrong code puts rows in the wrong places but is no error.
    TVuskFrameList wrong(99);
    ASSERT_NO_THROW(wrong.LoadFromBytes(bytes.data(), bytes.size(), "p.vkx"));
    bool differs = false;
    for (int32_t y = 0; y < 24; ++y)
        differs |= wrong.GetFrame(0).layers[0]->picture.GetPixel(3, y) != list.GetFrame(0).layers[0]->picture.GetPixel(3, y);
    EXPECT_TRUE(differs);
    TVuskFrameList none(0);
    ASSERT_NO_THROW(none.LoadFromBytes(bytes.data(), bytes.size(), "p.vkx"));
}

TEST(Vusk, ProtectingWithoutACodeIsRefused) {
    TVuskFrameList list(0);
    BuildSample(list);
    VuskSaveOptions save;
    save.protect = true;
    try {
        list.SaveToBytes(save);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "識別コードを設定してください");
    }
}

TEST(Vusk, FirstFrameOnly) {
    TVuskFrameList list;
    for (int i = 0; i < 10; ++i) {
        TVuskFrame& f = list.AddFrame();
        f.picture.SetSize(4, 4, 32);
    }
    const std::string bytes = list.SaveToBytes();
    TVuskFrameList back;
    VuskLoadOptions opt;
    opt.first_frame_only = true;
    back.LoadFromBytes(bytes.data(), bytes.size(), "ten.vkx", opt);
    EXPECT_EQ(back.Count(), 1);
    back.LoadFromBytes(bytes.data(), bytes.size(), "ten.vkx");
    EXPECT_EQ(back.Count(), 10);
}

TEST(Vusk, GetFrameOutsideTheList) {
    TVuskFrameList list;
    try {
        list.GetFrame(0);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Error:TVuskFrameList.GetFrame");
    }
}

struct OpacityCase {
    const char* what;
    int bits;
    int32_t opacity;
    int32_t transparent;
    int drawn;  // of the 16 pixels of a 4 × 4 frame
};

TEST(Vusk, OpacityDrawing) {
    const OpacityCase cases[] = {
        {"opacity 0 is not drawn", 32, 0, -1, 0},
        {"opacity 255 copies", 32, 255, -1, 16},
        {"eight bits at 128 is level 8: 9 dots of 16", 8, 128, -1, 9},
        {"eight bits at 240 copies", 8, 240, -1, 16},
        {"eight bits at 15 is level 0: 1 dot", 8, 15, -1, 1},
        {"transparent pixels are skipped", 32, 255, 0x0000FF, 0},
    };
    for (const OpacityCase& c : cases) {
        TVuskFrame f;
        f.picture.SetSize(4, 4, c.bits);
        TVuskLayer& bg = AddLayer(f, "bg");
        (void)bg;
        TVuskLayer& top = AddLayer(f, "top");
        top.opacity = c.opacity;
        top.transparent_color = c.transparent;
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) top.picture.SetPixel(x, y, 0xFF);
        ComposeFrame(f, 0, false);
        int drawn = 0;
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) drawn += f.picture.GetPixel(x, y) != 0;
        EXPECT_EQ(drawn, c.drawn) << c.what;
    }
}

TEST(Vusk, EveryTruncationFailsCleanly) {
    TVuskFrameList list;
    BuildSample(list);
    for (int compression : {int(kVuskZlib), int(kVuskRaw)}) {
        VuskSaveOptions save;
        save.compression = compression;
        const std::string bytes = list.SaveToBytes(save);
        for (size_t n = 0; n < bytes.size(); n += (n < 200 ? 1 : 37)) {
            TVuskFrameList back;
            try {
                back.LoadFromBytes(bytes.data(), n, "cut.vkx");
            } catch (const FormatError& e) {
                EXPECT_NE(std::string(e.what()).find("cut.vkx"), std::string::npos) << e.what();
                EXPECT_EQ(back.Count(), 0);
            }
        }
    }
}

TEST(Vusk, HugeCountsAreRefusedBeforeAllocating) {
    std::string bytes = "Vusk106";
    PutI32(bytes, 40);
    PutI32(bytes, 106);
    for (int i = 0; i < 3; ++i) PutI32(bytes, 0);
    PutI32(bytes, 0x7FFFFFFF);  // frame count
    bytes.append(20, '\0');
    TVuskFrameList list;
    EXPECT_THROW(list.LoadFromBytes(bytes.data(), bytes.size(), "huge.vkx"), FormatError);
}

TEST(Vusk, TrimToOpaqueBoundsCutsRegions) {
    TVuskFrame f;
    f.picture.SetSize(10, 10, 32);
    f.alpha.emplace(10, 10, 8);
    for (int32_t y = 2; y < 5; ++y)
        for (int32_t x = 3; x < 8; ++x) f.alpha->SetPixel(x, y, 255);
    f.regions1 = std::vector<TRect>{{0, 0, 4, 4}, {8, 8, 10, 10}};
    const auto box = TrimToOpaqueBounds(f);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(*box, (TRect{3, 2, 8, 5}));
    EXPECT_EQ(f.regions1, (std::vector<TRect>{{3, 2, 4, 4}}));
    TVuskFrame whole;
    whole.picture.SetSize(4, 4, 32);
    EXPECT_FALSE(TrimToOpaqueBounds(whole).has_value());
}

TEST(Vusk, SaveToFileThenLoad) {
    TVuskFrameList list;
    BuildSample(list);
    const std::string path = ::testing::TempDir() + "/sample.vkx";
    list.SaveToFile(path);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TVuskFrameList back;
    back.LoadFromBytes(bytes.data(), bytes.size(), path);
    EXPECT_EQ(back.Count(), 2);
}

// A frame without pixels (a width or height of 0) loads as an empty frame,
// whichever way its layers are drawn, and through the colour reduction too.
TEST(Vusk, EmptyFramesLoad) {
    for (int32_t w : {0, 5})
        for (int target : {0, 8, 16}) {
            TVuskFrameList list;
            TVuskFrame& f = list.AddFrame();
            f.picture.SetSize(w, w ? 0 : 4, 32);
            mivo::testing::AddLayer(f, "base");
            mivo::testing::AddLayer(f, "top").opacity = 128;
            const std::string bytes = list.SaveToBytes();
            TVuskFrameList back;
            back.TargetBitCount = target;
            VuskLoadOptions options;
            options.convert = true;
            back.LoadFromBytes(bytes.data(), bytes.size(), "empty.vkx", options);
            ASSERT_EQ(back.Count(), 1);
            EXPECT_EQ(back.GetFrame(0).picture.ByteSize(), 0u);
        }
}
