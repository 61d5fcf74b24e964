#pragma once
// Small layered images made in code for the tests.
#include <zlib.h>

#include <string>

#include "core/byte_reader.hpp"
#include "data/vuskframes.hpp"
#include "test_pictures_helpers.hpp"

namespace mivo::testing {

inline std::string Zlib(const std::string& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    std::string out(n, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
    out.resize(n);
    return out;
}

inline std::string RowsOf(const TDIBSurface& s) {
    return std::string(reinterpret_cast<const char*>(s.Bits()), s.ByteSize());
}

inline void PaintGradient(TDIBSurface& s, int salt = 0) {
    TDIBX view(&s);
    PaintGradient(view, salt);
}

// A layer of the frame's size and format.
inline TVuskLayer& AddLayer(TVuskFrame& f, const std::string& name) {
    auto l = std::make_unique<TVuskLayer>();
    l->name = name;
    l->picture.SetSize(f.picture.Width(), f.picture.Height(), f.picture.BitCount());
    f.layers.push_back(std::move(l));
    return *f.layers.back();
}

// Two frames of 32 × 24: a background layer, a half-transparent keyed layer
// and a layer with an alpha plane; regions on the first frame.
inline void BuildSample(TVuskFrameList& list, int bits = 32) {
    for (int i = 0; i < 2; ++i) {
        TVuskFrame& f = list.AddFrame();
        f.name = "frame" + std::to_string(i);
        f.display_time = 120 + i;
        f.flags = uint8_t(3 + i);
        f.picture.SetSize(32, 24, bits);
        TVuskLayer& bg = AddLayer(f, "bg");
        PaintGradient(bg.picture, i * 17);
        TVuskLayer& keyed = AddLayer(f, "keyed");
        keyed.opacity = 128;
        keyed.transparent_color = ColorToPixel(keyed.picture.Format(), 0x000000);
        for (int32_t y = 4; y < 20; ++y)
            for (int32_t x = 4 + i; x < 20 + i; ++x)
                keyed.picture.SetPixel(x, y, uint32_t(ColorToPixel(keyed.picture.Format(), 0xFFFFFF)));
        TVuskLayer& alpha = AddLayer(f, "alpha");
        alpha.alpha_flag = true;
        alpha.alpha.emplace(32, 24, 8);
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                alpha.picture.SetPixel(x, y, uint32_t(ColorToPixel(alpha.picture.Format(), 0x2060E0)));
                alpha.alpha->SetPixel(x, y, uint32_t(x >= 16 ? (x - 16) * 16 : 0));
            }
        f.transparent_color = int32_t(f.layers[0]->picture.GetPixel(0, 0));
        f.transparent_rgb = PixelToColor(f.picture.Format(), uint32_t(f.transparent_color));
        if (i == 0) {
            f.regions1 = std::vector<TRect>{{0, 0, 8, 8}, {8, 8, 16, 16}};
            f.regions2 = std::vector<TRect>{{1, 2, 3, 4}};
        }
    }
    list.BackgroundColor = 0x102030;
}

}  // namespace mivo::testing
