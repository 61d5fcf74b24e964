// Layered images of older versions and with block tables, written byte by
// byte, and golden pictures of composed frames.
#include <gtest/gtest.h>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "data/vuskframes.hpp"
#include "golden.hpp"
#include "vusk_builders.hpp"

using namespace mivo;
using namespace mivo::testing;

namespace {

// 4 × 2 pixels, 32 bits, each pixel its own value.
std::string Rows4x2() {
    std::string raw;
    for (int i = 0; i < 8; ++i) PutI32(raw, 0x010101 * (i + 1));
    return raw;
}

void PutFrameHead(std::string& b, int32_t layers, int32_t w, int32_t h, int32_t bits) {
    PutStr(b, "f");
    PutI32(b, -1);   // transparent
    PutI32(b, 100);  // time
    PutU8(b, 0);
    PutI32(b, 0);
    PutI32(b, layers);
    PutI32(b, w);
    PutI32(b, h);
    PutI32(b, bits);
}

void PutLayerHead(std::string& b, int version, int32_t opacity = 255) {
    PutI32(b, 0);
    PutI32(b, 0);
    PutU8(b, 1);
    PutI32(b, -1);
    PutI32(b, opacity);
    if (version >= 101) PutU8(b, 0);
    PutStr(b, "L");
}

std::string OldFile(int version) {
    std::string b;
    if (version > 0) b = "Vusk" + std::to_string(version);
    PutI32(b, 1);
    PutU8(b, 0);
    if (version == 102) PutI32(b, 0x0000FF);
    PutFrameHead(b, 1, 4, 2, 32);
    PutLayerHead(b, version, 0);  // opacity 0: only the background shows
    const std::string plane = Zlib(Rows4x2());
    PutI32(b, int32_t(plane.size()));
    b += plane;
    if (version >= 100) PutI32(b, 0);
    return b;
}

}  // namespace

TEST(VuskFiles, WithoutSignatureIsVersionZero) {
    std::string b;
    PutI32(b, 1);
    PutU8(b, 0);
    PutFrameHead(b, 1, 4, 2, 32);
    PutLayerHead(b, 0);
    const std::string plane = Zlib(Rows4x2());
    PutI32(b, int32_t(plane.size()));
    b += plane;
    TVuskFrameList list;
    list.LoadFromBytes(b.data(), b.size(), "old.vkx");
    EXPECT_EQ(list.Version(), 0);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetFrame(0).picture.GetPixel(3, 1), 0x080808u);  // rows top first
    EXPECT_FALSE(list.GetFrame(0).layers[0]->alpha.has_value());
}

TEST(VuskFiles, BackgroundOnlyInVersion102) {
    struct Case {
        int version;
        uint32_t background_pixel;
    };
    for (const Case& c : {Case{101, 0u}, Case{102, 0xFF0000u}}) {
        const std::string b = OldFile(c.version);
        TVuskFrameList list;
        list.LoadFromBytes(b.data(), b.size(), "v.vkx");
        EXPECT_EQ(list.Version(), c.version);
        EXPECT_EQ(list.GetFrame(0).picture.GetPixel(0, 0), c.background_pixel) << c.version;
    }
}

namespace {

// A version-106 file of two 4 × 2 frames in 2 × 2 blocks (raw planes). Frame
// 0: block 0 stored, block 1 copies block 0. Frame 1: block 0 copies frame
// 0's layer 0, block 1 stored.
std::string BlockFile(bool protect, int32_t ident) {
    std::string b = "Vusk106";
    PutI32(b, 40);
    PutI32(b, 106);
    PutI32(b, 4), PutI32(b, 2), PutI32(b, 32);
    PutI32(b, 2);
    PutU8(b, 1), PutU8(b, protect ? 1 : 0), PutU8(b, kVuskRaw), PutU8(b, 0);
    PutI32(b, 0);
    PutI32(b, 2), PutI32(b, 2);
    PutU8(b, 0), PutU8(b, 70), PutU8(b, 0), PutU8(b, 0);
    auto table = [&](std::vector<std::pair<int32_t, int32_t>> entries) {
        std::string t;
        const std::vector<uint32_t> order = VuskPermutation(uint32_t(entries.size()), protect ? uint32_t(ident) : 0);
        for (size_t i = 0; i < entries.size(); ++i) {
            PutI32(t, entries[order[i]].first);
            PutI32(t, entries[order[i]].second);
        }
        return t;
    };
    std::string block;
    for (int i = 0; i < 4; ++i) PutI32(block, 0x111111 * (i + 1));
    for (int frame = 0; frame < 2; ++frame) {
        PutFrameHead(b, 1, 4, 2, 32);
        PutLayerHead(b, 106);
        const std::string plane = frame == 0 ? table({{-1, 0}, {-2, 0}}) + block : table({{0, 0}, {-1, 0}}) + block;
        PutI32(b, int32_t(plane.size()));
        b += plane;
        PutI32(b, 0);
        PutI32(b, -1), PutI32(b, -1);  // no region lists
    }
    return b;
}

}  // namespace

TEST(VuskFiles, BlockTablesCopyWithinAndAcrossFrames) {
    for (bool protect : {false, true}) {
        const std::string b = BlockFile(protect, 4242);
        TVuskFrameList list(4242);
        list.LoadFromBytes(b.data(), b.size(), "blocks.vkx");
        ASSERT_EQ(list.Count(), 2);
        for (int f = 0; f < 2; ++f) {
            const TDIBSurface& p = list.GetFrame(f).picture;
            // Both 2 × 2 blocks hold 0x111111, 0x222222 / 0x333333, 0x444444.
            for (int32_t bx = 0; bx < 4; bx += 2) {
                EXPECT_EQ(p.GetPixel(bx, 0), 0x111111u) << protect << f;
                EXPECT_EQ(p.GetPixel(bx + 1, 1), 0x444444u) << protect << f;
            }
            EXPECT_FALSE(list.GetFrame(f).regions1.has_value());
        }
    }
}

TEST(VuskFiles, BlockFromAFrameNotYetReadIsAnError) {
    std::string b = BlockFile(false, 0);
    // Make frame 0's first block copy from frame 1: its table follows the
    // layer name "L" and the plane size.
    const size_t name = b.find(std::string("\x01\x00\x00\x00L", 5));
    ASSERT_NE(name, std::string::npos);
    const size_t pos = name + 5 + 4;
    ASSERT_EQ(b.substr(pos, 4), std::string(4, '\xFF'));
    b[pos] = 1, b[pos + 1] = 0, b[pos + 2] = 0, b[pos + 3] = 0;
    TVuskFrameList list;
    try {
        list.LoadFromBytes(b.data(), b.size(), "blocks.vkx");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Error:TVuskFrameList.GetFrame");
    }
}

TEST(VuskFiles, ComposedFramesMatchTheGoldenPictures) {
    TVuskFrameList list(0x5EED);
    BuildSample(list);
    // A third frame whose first layer has an alpha plane, so the frame has one too.
    TVuskFrame& f = list.AddFrame();
    f.picture.SetSize(32, 24, 32);
    TVuskLayer& l = AddLayer(f, "alpha first");
    PaintGradient(l.picture, 5);
    l.alpha_flag = true;
    l.alpha.emplace(32, 24, 8);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x) l.alpha->SetPixel(x, y, uint32_t((x * 8) ^ (y * 10)) & 255);
    TVuskLayer& over = AddLayer(f, "over");
    over.opacity = 200;
    PaintGradient(over.picture, 40);
    over.transparent_color = int32_t(over.picture.GetPixel(5, 5));
    const std::string bytes = list.SaveToBytes();  // protected: the code is not 0
    TVuskFrameList back(0x5EED);
    back.LoadFromBytes(bytes.data(), bytes.size(), "golden.vkx");
    ASSERT_TRUE(back.Protected());
    for (int i = 0; i < back.Count(); ++i) {
        const TVuskFrame& frame = back.GetFrame(i);
        ExpectGolden("vusk_frame" + std::to_string(i), frame.picture, frame.alpha ? &*frame.alpha : nullptr);
    }
}

namespace {

// One 4 × 2 frame with one layer of opacity 255 and transparent colour 0,
// in the version-103 header form; regions from 104, the opaque flag set.
std::string HeaderFile(int version) {
    std::string b = "Vusk" + std::to_string(version);
    PutI32(b, 40);
    PutI32(b, version);
    PutI32(b, 4), PutI32(b, 2), PutI32(b, 32);
    PutI32(b, 1);
    PutU8(b, 1), PutU8(b, 0), PutU8(b, kVuskZlib), PutU8(b, 0);
    PutI32(b, 0x00FF00);  // background green
    PutI32(b, 0), PutI32(b, 0);
    PutU8(b, 1), PutU8(b, 70), PutU8(b, 0), PutU8(b, 0);
    PutFrameHead(b, 1, 4, 2, 32);
    PutI32(b, 0), PutI32(b, 0);
    PutU8(b, 1);
    PutI32(b, 0);  // transparent colour 0: the zero pixels below
    PutI32(b, 255);
    PutU8(b, 0);
    PutStr(b, "L");
    std::string raw(32, '\0');
    raw[0] = 0x40;  // pixel (0, 0) blue 0x40; the rest are 0
    const std::string plane = Zlib(raw);
    PutI32(b, int32_t(plane.size()));
    b += plane;
    PutI32(b, 0);
    if (version >= 104) {
        PutI32(b, 1);
        PutI32(b, 0), PutI32(b, 0), PutI32(b, 2), PutI32(b, 2);
        PutI32(b, -1);
    }
    return b;
}

}  // namespace

TEST(VuskFiles, HeaderVersions103To106) {
    struct Case {
        int version;
        bool regions;
        bool opaque;  // the first layer ignores its transparent colour from 105 on
    };
    for (const Case& c : {Case{103, false, false}, Case{104, true, false}, Case{105, true, true}, Case{106, true, true}}) {
        const std::string b = HeaderFile(c.version);
        TVuskFrameList list;
        list.LoadFromBytes(b.data(), b.size(), "h.vkx");
        EXPECT_EQ(list.Version(), c.version);
        EXPECT_EQ(list.FirstLayerOpaque, c.opaque) << c.version;
        const TVuskFrame& f = list.GetFrame(0);
        EXPECT_EQ(f.regions1.has_value(), c.regions) << c.version;
        EXPECT_FALSE(f.regions2.has_value());
        EXPECT_EQ(f.picture.GetPixel(0, 0), 0x40u) << c.version;
        // Pixel (1, 0) is the transparent colour: background shows unless the layer is drawn opaque.
        EXPECT_EQ(f.picture.GetPixel(1, 0), c.opaque ? 0u : 0x00FF00u) << c.version;
    }
}
