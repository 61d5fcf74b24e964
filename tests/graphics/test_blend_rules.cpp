// The per-pixel rules of the blends, one pixel at a time.
#include <gtest/gtest.h>

#include <functional>

#include "graphics/blend_row.hpp"
#include "graphics/dibx.hpp"

using namespace mivo;

namespace {

struct PixelCase {
    const char* what;
    int bits;
    uint32_t dst, src, mask;
    std::function<void(TDIBX& d, TDIBX& s, TDIBX& m)> op;
    uint32_t want;
};

const TRect k1{0, 0, 1, 1};

void RunCases(const std::vector<PixelCase>& cases) {
    for (bool fast : {false, true}) {
        SetFastRowsEnabled(fast);
        for (const PixelCase& c : cases) {
            TDIBX d(1, 1, c.bits), s(1, 1, c.bits), m(1, 1, 8);
            d.SetPixel(0, 0, c.dst);
            s.SetPixel(0, 0, c.src);
            m.SetPixel(0, 0, c.mask);
            c.op(d, s, m);
            EXPECT_EQ(d.GetPixel(0, 0), c.want) << c.what << " (" << c.bits << " bits, fast " << fast << ")";
        }
    }
    SetFastRowsEnabled(true);
}

}  // namespace

TEST(BlendRules, AlphaBlend) {
    auto alpha = [](int a) { return [a](TDIBX& d, TDIBX& s, TDIBX&) { d.DrawAlpha(0, 0, a, false, false, false, k1, s); }; };
    RunCases({
        // (128 × 31) >> 8 = 15 in every channel of a 15-bit pixel.
        {"white over black at 128", 15, 0, 0x7FFF, 0, alpha(128), 15u << 10 | 15u << 5 | 15u},
        {"white over black at 128", 16, 0, 0xFFFF, 0, alpha(128), 15u << 11 | 31u << 5 | 15u},
        {"white over black at 128", 32, 0, 0xFFFFFF, 0, alpha(128), 0x7F7F7F},
        {"equal pixels stay", 32, 0x808080, 0x808080, 0, alpha(100), 0x808080},
        {"weight 255 is not a copy", 32, 0, 0xFFFFFF, 0, alpha(255), 0xFEFEFE},
        {"alpha 0 draws nothing", 32, 0x010203, 0xFFFFFF, 0, alpha(0), 0x010203},
        {"24 bits", 24, 0x000000, 0xFF00FF, 0, alpha(64), 0x3F003F},
    });
}

TEST(BlendRules, KeyAndCopy) {
    auto keyed = [](TDIBX& d, TDIBX& s, TDIBX&) {
        s.TransparentColor = int32_t(s.GetPixel(0, 0));
        d.Draw(0, 0, false, false, true, k1, s);
    };
    auto plain = [](TDIBX& d, TDIBX& s, TDIBX&) { d.Draw(0, 0, false, false, false, k1, s); };
    auto keyed_alpha = [](TDIBX& d, TDIBX& s, TDIBX&) {
        s.TransparentColor = int32_t(s.GetPixel(0, 0));
        d.DrawAlpha(0, 0, 200, false, false, true, k1, s);
    };
    RunCases({
        {"key skips", 32, 0x111111, 0x00FF00, 0, keyed, 0x111111},
        {"key skips", 16, 0x1111, 0x07E0, 0, keyed, 0x1111},
        {"copy", 32, 0x111111, 0x00FF00, 0, plain, 0x00FF00},
        {"key skips alpha", 32, 0x111111, 0x00FF00, 0, keyed_alpha, 0x111111},
    });
}

TEST(BlendRules, MaskForms) {
    auto mask = [](TDIBX& d, TDIBX& s, TDIBX& m) { d.DrawMask(0, 0, m, false, false, k1, s); };
    auto mask_alpha = [](int a) {
        return [a](TDIBX& d, TDIBX& s, TDIBX& m) { d.DrawMaskAlpha(0, 0, a, m, false, false, k1, s); };
    };
    auto mask_add = [](int a) {
        return [a](TDIBX& d, TDIBX& s, TDIBX& m) { d.DrawMaskAdd(0, 0, a, m, false, false, k1, s); };
    };
    RunCases({
        {"mask 0 skips", 32, 0x102030, 0xFFFFFF, 0, mask, 0x102030},
        {"mask 255 copies", 32, 0x102030, 0xFFFFFF, 255, mask, 0xFFFFFF},
        {"mask 128 blends", 32, 0, 0xFFFFFF, 128, mask, 0x7F7F7F},
        {"mask 128 blends", 16, 0, 0xFFFF, 128, mask, 15u << 11 | 31u << 5 | 15u},
        {"mask times alpha", 32, 0, 0xFFFFFF, 255, mask_alpha(128), 0x7E7E7E},  // w = (128×255)>>8 = 127
        {"mask add", 32, 0x808080, 0xFFFFFF, 255, mask_add(255), 0xFFFFFF},
        {"mask add small", 32, 0x100000, 0x800000, 128, mask_add(255), 0x4F0000},  // w = 127: 0x10 + (127×0x80>>8)=0x10+0x3F
        {"mask add 0 skips", 32, 0x100000, 0x800000, 0, mask_add(255), 0x100000},
    });
}

TEST(BlendRules, Additive) {
    auto add = [](int a) { return [a](TDIBX& d, TDIBX& s, TDIBX&) { d.DrawAdd(0, 0, a, false, false, false, k1, s); }; };
    RunCases({
        {"saturates", 32, 0xF0F0F0, 0x202020, 0, add(255), 0xFFFFFF},
        {"weights", 32, 0x000010, 0x000080, 0, add(128), 0x000050},
        {"saturates 16", 16, 0xF800, 0x0800, 0, add(255), 0xF800},
        {"saturates 15", 15, 0x7C00, 0x7C00, 0, add(255), 0x7C00},
        {"eight bits add whole", 8, 200, 100, 0, add(10), 255},
        {"amount 0 draws nothing", 32, 0x000010, 0x000080, 0, add(0), 0x000010},
    });
}

TEST(BlendRules, ColourOperations) {
    auto add_rect = [](uint32_t c) { return [c](TDIBX& d, TDIBX&, TDIBX&) { d.AddRect(k1, c); }; };
    auto sub_rect = [](uint32_t c) { return [c](TDIBX& d, TDIBX&, TDIBX&) { d.SubRect(k1, c); }; };
    auto fill_alpha = [](uint32_t c, int a) { return [c, a](TDIBX& d, TDIBX&, TDIBX&) { d.FillRectAlpha(k1, c, a); }; };
    auto colour_mask = [](uint32_t c, int a) {
        return [c, a](TDIBX& d, TDIBX&, TDIBX& m) { d.DrawColorMask(0, 0, a, c, false, false, k1, m); };
    };
    RunCases({
        {"add white saturates", 32, 0x123456, 0, 0, add_rect(0xFFFFFF), 0xFFFFFF},
        {"add white saturates", 16, 0x1234, 0, 0, add_rect(0xFFFF), 0xFFFF},
        {"add white saturates", 15, 0x1234, 0, 0, add_rect(0x7FFF), 0x7FFF},
        {"sub clamps at 0", 32, 0x103050, 0, 0, sub_rect(0x206010), 0x000040},
        {"fill alpha", 32, 0, 0, 0, fill_alpha(0xFFFFFF, 128), 0x7F7F7F},
        {"fill alpha equal skipped", 32, 0xFFFFFF, 0, 0, fill_alpha(0xFFFFFF, 128), 0xFFFFFF},
        {"colour mask full", 32, 0, 0, 255, colour_mask(0xFF0000, 255), 0xFE0000},
        {"colour mask 0 skips", 32, 0x000001, 0, 0, colour_mask(0xFF0000, 255), 0x000001},
        {"colour mask with alpha", 32, 0, 0, 255, colour_mask(0xFF0000, 128), 0x7E0000},
    });
}
