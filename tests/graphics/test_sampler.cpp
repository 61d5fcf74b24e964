// One picture per pixel format with every drawing operation in its own cell,
// compared with a golden picture; drawn once with the packed loops and once
// with the reference loops.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "golden.hpp"
#include "graphics/blend_row.hpp"
#include "graphics/dibx.hpp"
#include "graphics/raster.hpp"
#include "test_pictures_helpers.hpp"

using namespace mivo;

namespace {

constexpr int32_t kCell = 48, kCols = 8;

struct Sources {
    TDIBX pic, mask, glyph, nibbles, indices;
    explicit Sources(int bits) : pic(40, 30, bits), mask(40, 30, 8), glyph(64, 64, 1), nibbles(16, 16, 4), indices(20, 20, 8) {
        mivo::testing::PaintGradient(pic);
        mivo::testing::PaintDisc(mask);
        pic.TransparentColor = int32_t(pic.GetPixel(0, 0));
        glyph.Fill(1);
        for (int32_t y = 8; y < 56; ++y)
            for (int32_t x = 8; x < 56; ++x)
                if ((x - 32) * (x - 32) + (y - 32) * (y - 32) < 22 * 22 && std::abs(x - y) > 6) glyph.SetPixel(x, y, 0);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x) nibbles.SetPixel(x, y, uint32_t((x + y) & 15));
        nibbles.TransparentColor = 0;
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 20; ++x) indices.SetPixel(x, y, uint32_t((x * 13 + y * 7) & 255));
        indices.TransparentColor = 40;
    }
};

using Cell = std::function<void(TDIBX& c, Sources& s, int32_t x, int32_t y)>;

std::vector<std::pair<const char*, Cell>> Cells() {
    const TRect all{0, 0, 40, 30};
    return {
        {"Draw", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.Draw(x, y, false, false, false, all, s.pic); }},
        {"Draw key flips", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.Draw(x, y, true, true, true, all, s.pic); }},
        {"DrawAlpha", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawAlpha(x, y, 100, false, false, false, all, s.pic); }},
        {"DrawAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawAdd(x, y, 200, false, true, false, all, s.pic); }},
        {"DrawMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawMask(x, y, s.mask, false, false, all, s.pic); }},
        {"DrawMaskAlpha", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawMaskAlpha(x, y, 150, s.mask, true, false, all, s.pic); }},
        {"DrawMaskAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawMaskAdd(x, y, 255, s.mask, false, false, all, s.pic); }},
        {"DrawColorMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) {
             c.DrawColorMask(x, y, 200, uint32_t(c.ColorToPixel(0x3090F0)), false, false, all, s.mask);
         }},
        {"FillRect", [](TDIBX& c, Sources&, int32_t x, int32_t y) { c.FillRect(MakeRect(x + 4, y + 4, 30, 20), uint32_t(c.ColorToPixel(0x00C0FF))); }},
        {"FillRectAlpha", [](TDIBX& c, Sources&, int32_t x, int32_t y) { c.FillRectAlpha(MakeRect(x, y, 40, 30), uint32_t(c.ColorToPixel(0xFF0000)), 90); }},
        {"AddRect", [](TDIBX& c, Sources&, int32_t x, int32_t y) { c.AddRect(MakeRect(x, y, 40, 30), uint32_t(c.ColorToPixel(0x404040))); }},
        {"SubRect", [](TDIBX& c, Sources&, int32_t x, int32_t y) { c.SubRect(MakeRect(x, y, 40, 30), uint32_t(c.ColorToPixel(0x604020))); }},
        {"FrameRect", [](TDIBX& c, Sources&, int32_t x, int32_t y) {
             c.FrameRect(MakeRect(x, y, 40, 30), 3, uint32_t(c.ColorToPixel(0xFFFFFF)));
             c.FrameRectAlpha(MakeRect(x + 6, y + 6, 28, 18), 2, 128, uint32_t(c.ColorToPixel(0x00FF00)));
             c.FrameRectAdd(MakeRect(x + 12, y + 12, 16, 6), 2, uint32_t(c.ColorToPixel(0x0000FF)));
         }},
        {"StretchDraw", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.StretchDraw(MakeRect(x, y, 46, 20), s.pic, 255, false, false, false, all); }},
        {"StretchDraw alpha flip", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.StretchDraw(MakeRect(x, y, 25, 44), s.pic, 120, true, true, true, all); }},
        {"StretchDrawMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.StretchDrawMask(MakeRect(x, y, 46, 46), s.pic, 255, s.mask, false, false, all); }},
        {"StretchDrawAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.StretchDrawAdd(MakeRect(x, y, 30, 40), s.pic, 160, false, false, false, all); }},
        {"StretchDrawMaskAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.StretchDrawMaskAdd(MakeRect(x, y, 20, 15), s.pic, 255, s.mask, false, true, all); }},
        {"DrawRotate", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawRotate(x + 24, y + 24, 255, false, false, false, 32, 15, 20, all, s.pic, 256, 256); }},
        {"DrawRotate zoom add", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawRotate(x + 24, y + 24, 400, false, true, true, 200, 15, 20, all, s.pic, 180, 300); }},
        {"DrawRotateMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawRotateMask(x + 24, y + 24, 180, s.mask, false, false, 90, 15, 20, all, s.pic, 256, 256); }},
        {"TileDraw", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDraw(MakeRect(x, y, 46, 46), 2, 3, 5, false, false, false, TRect{5, 5, 17, 15}, s.pic, 1); }},
        {"TileDrawAlpha", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDrawAlpha(MakeRect(x, y, 46, 46), 0, -4, -4, 128, false, true, false, TRect{0, 0, 12, 12}, s.pic, 0); }},
        {"TileDrawAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDrawAdd(MakeRect(x, y, 46, 46), 4, 0, 0, 128, false, false, false, TRect{0, 0, 10, 10}, s.pic, 4); }},
        {"TileDrawMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDrawMask(MakeRect(x, y, 46, 46), 0, 0, 0, s.mask, false, false, TRect{10, 5, 30, 25}, s.pic, 0); }},
        {"TileDrawMaskAlpha", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDrawMaskAlpha(MakeRect(x, y, 46, 46), 1, 2, 2, 100, s.mask, false, false, TRect{10, 5, 30, 25}, s.pic, 1); }},
        {"TileDrawMaskAdd", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileDrawMaskAdd(MakeRect(x, y, 46, 46), 1, 2, 2, 200, s.mask, true, false, TRect{10, 5, 30, 25}, s.pic, 1); }},
        {"TileStretch", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileStretch(MakeRect(x, y, 46, 46), 2, 0, 0, 255, false, false, false, all, s.pic, 2, 14, 9); }},
        {"TileStretchMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.TileStretchMask(MakeRect(x, y, 46, 46), 0, 3, 3, 300, s.mask, false, false, all, s.pic, 0, 20, 20); }},
        {"PatternCopy", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.PatternCopy(MakeRect(x, y, 46, 46), s.pic, false, true, -7, 13); }},
        {"PatternDraw", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.PatternDraw(MakeRect(x, y, 46, 46), 384, 140, false, false, false, 3, 3, s.pic, 200); }},
        {"PatternDrawMask", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.PatternDrawMask(MakeRect(x, y, 46, 46), 200, 255, s.mask, true, false, 0, 0, s.pic, 256); }},
        {"PatternFrame", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.PatternFrame(MakeRect(x, y, 46, 46), 6, false, false, 0, 0, all, s.pic); }},
        {"DrawMono", [](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawMono(x, y, 4, 255, false, false, uint32_t(c.ColorToPixel(0xFFFFFF)), TRect{0, 0, 64, 64}, s.glyph); }},
        {"DrawMono alpha", [](TDIBX& c, Sources& s, int32_t x, int32_t y) { c.DrawMono(x + 20, y + 20, 4, 128, true, true, uint32_t(c.ColorToPixel(0x00FFFF)), TRect{0, 0, 64, 64}, s.glyph); }},
        {"DrawMonoColors", [](TDIBX& c, Sources& s, int32_t x, int32_t y) {
             c.DrawMonoColors(x, y, 2, 255, false, false, {uint32_t(c.ColorToPixel(0xFF00FF)), uint32_t(c.ColorToPixel(0x00FF00))}, TRect{0, 0, 20, 20}, s.indices);
         }},
        {"DrawNibbles", [](TDIBX& c, Sources& s, int32_t x, int32_t y) {
             uint32_t table[16];
             for (int i = 0; i < 16; ++i) table[i] = uint32_t(c.ColorToPixel(i * 0x0F0A05));
             c.DrawNibbles(x, y, table, 255, false, false, TRect{0, 0, 16, 16}, s.nibbles);
             c.DrawNibbles(x + 18, y, table, 128, false, false, TRect{0, 0, 16, 16}, s.nibbles);
             c.DrawNibbles(x, y + 18, table, 300, false, true, TRect{0, 0, 16, 16}, s.nibbles);
         }},
        {"DrawIndexedAdd", [](TDIBX& c, Sources& s, int32_t x, int32_t y) {
             uint32_t table[256];
             for (int i = 0; i < 256; ++i) table[i] = uint32_t(c.ColorToPixel(i | (255 - i) << 16));
             c.DrawIndexedAdd(x, y, table, 200, false, false, TRect{0, 0, 20, 20}, s.indices);
             c.StretchIndexed(MakeRect(x + 20, y + 20, 26, 26), s.indices, table, 255, false, false, TRect{0, 0, 20, 20});
         }},
        {"Raster", [](TDIBX& c, Sources&, int32_t x, int32_t y) {
             FillEllipse(c, MakeRect(x + 2, y + 2, 40, 26), uint32_t(c.ColorToPixel(0x2020A0)));
             FillSector(c, MakeRect(x + 4, y + 4, 36, 36), -30, 240, uint32_t(c.ColorToPixel(0xA0FFA0)));
             DrawLine(c, x, y + 45, x + 45, y, uint32_t(c.ColorToPixel(0xFFFFFF)));
         }},
        {"Clip", [=](TDIBX& c, Sources& s, int32_t x, int32_t y) {
             const TRect saved = c.ClipRect;
             c.ClipRect = MakeRect(x + 10, y + 10, 20, 20);
             c.DrawMask(x, y, s.mask, false, false, all, s.pic);
             c.ClipRect = saved;
         }},
    };
}

std::unique_ptr<TDIBX> DrawSampler(int bits) {
    Sources s(bits);
    const auto cells = Cells();
    const int32_t rows = int32_t((cells.size() + kCols - 1) / kCols);
    auto canvas = std::make_unique<TDIBX>(kCols * kCell, rows * kCell, bits);
    TDIBX& c = *canvas;
    uint32_t grey[256];
    for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101;
    c.SetPaletteEntries(grey, 0, 256);
    mivo::testing::PaintGradient(c, 99);
    for (size_t i = 0; i < cells.size(); ++i) {
        const int32_t x = int32_t(i % kCols) * kCell + 1, y = int32_t(i / kCols) * kCell + 1;
        c.ClipRect = MakeRect(x - 1, y - 1, kCell, kCell);  // keep each cell to itself
        cells[i].second(c, s, x, y);
    }
    c.ClearClip();
    return canvas;
}

}  // namespace

class Sampler : public ::testing::TestWithParam<int> {};

TEST_P(Sampler, EveryOperationMatchesTheGoldenPicture) {
    const int bits = GetParam();
    SetFastRowsEnabled(false);
    const auto reference = DrawSampler(bits);
    SetFastRowsEnabled(true);
    const auto fast = DrawSampler(bits);
    for (int32_t y = 0; y < fast->GetHeight(); ++y)
        for (int32_t x = 0; x < fast->GetWidth(); ++x)
            ASSERT_EQ(fast->GetPixel(x, y), reference->GetPixel(x, y)) << x << "," << y;
    mivo::testing::ExpectGolden("sampler_" + std::to_string(bits), fast->Bitmap());
}

INSTANTIATE_TEST_SUITE_P(Formats, Sampler, ::testing::Values(32, 24, 16, 15, 8));
