// Full-frame blends at 800 × 600 and 1920 × 1080, each beside pixman doing the
// nearest operation it has and beside memcpy of the same frame; and a scene
// of a background with four full-screen per-pixel-alpha layers. Bytes
// processed are the destination frame's bytes, so rates compare directly.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/dibx.hpp"

using namespace mivo;

namespace {

struct Frame {
    int32_t w, h;
    TDIBX dst, src, mask_random, mask_shapes;
    pixman_image_t *pdst, *psrc, *pmask_random, *pmask_shapes;

    Frame(int32_t width, int32_t height)
        : w(width), h(height), dst(w, h, 32), src(w, h, 32), mask_random(w, h, 8), mask_shapes(w, h, 8) {
        uint32_t x = 12345;
        auto next = [&] { return x = x * 1664525u + 1013904223u; };
        for (int32_t y = 0; y < h; ++y)
            for (int32_t c = 0; c < w; ++c) {
                dst.SetPixel(c, y, next() >> 8);
                src.SetPixel(c, y, next() >> 8);
                mask_random.SetPixel(c, y, next() >> 24);
                // Picture-like: opaque shapes with soft edges on a transparent ground.
                const int32_t cx = c % 200 - 100, cy = y % 160 - 80;
                const int d = cx * cx + cy * cy;
                mask_shapes.SetPixel(c, y, d < 3600 ? 255u : d < 4400 ? uint32_t((4400 - d) * 255 / 800) : 0u);
            }
        pdst = Wrap(dst, PIXMAN_x8r8g8b8);
        psrc = Wrap(src, PIXMAN_x8r8g8b8);
        pmask_random = Wrap(mask_random, PIXMAN_a8);
        pmask_shapes = Wrap(mask_shapes, PIXMAN_a8);
    }
    ~Frame() {
        for (pixman_image_t* i : {pdst, psrc, pmask_random, pmask_shapes}) pixman_image_unref(i);
    }
    static pixman_image_t* Wrap(TDIBX& s, pixman_format_code_t f) {
        return pixman_image_create_bits(f, s.GetWidth(), s.GetHeight(), reinterpret_cast<uint32_t*>(s.Lock(0, 0)),
                                        int(s.GetPitch()));
    }
    TRect All() const { return TRect{0, 0, w, h}; }
    int64_t Bytes() const { return int64_t(w) * h * 4; }
};

Frame& GetFrame(int64_t w) {
    static std::unique_ptr<Frame> small, large;
    auto& f = w == 800 ? small : large;
    if (!f) f = w == 800 ? std::make_unique<Frame>(800, 600) : std::make_unique<Frame>(1920, 1080);
    return *f;
}

template <class Op>
void Run(benchmark::State& state, Op op) {
    Frame& f = GetFrame(state.range(0));
    for (auto _ : state) {
        op(f);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * f.Bytes());
}

pixman_image_t* Solid(uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
    const pixman_color_t c{r, g, b, a};
    return pixman_image_create_solid_fill(&c);
}

void Pixman(Frame& f, pixman_op_t op, pixman_image_t* src, pixman_image_t* mask) {
    pixman_image_composite32(op, src, mask, f.pdst, 0, 0, 0, 0, 0, 0, f.w, f.h);
}

// ---- the peer everything is measured against
void BM_Memcpy(benchmark::State& s) {
    Run(s, [](Frame& f) { std::memcpy(f.dst.Lock(0, 0), f.src.Lock(0, 0), size_t(f.Bytes())); });
}

// ---- our operations
void BM_Draw(benchmark::State& s) { Run(s, [](Frame& f) { f.dst.Draw(0, 0, false, false, false, f.All(), f.src); }); }
void BM_DrawKey(benchmark::State& s) {
    Run(s, [](Frame& f) {
        f.src.TransparentColor = 0x123456;
        f.dst.Draw(0, 0, false, false, true, f.All(), f.src);
    });
}
void BM_DrawAlpha(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawAlpha(0, 0, 128, false, false, false, f.All(), f.src); });
}
void BM_DrawAdd(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawAdd(0, 0, 200, false, false, false, f.All(), f.src); });
}
void BM_DrawMaskRandom(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawMask(0, 0, f.mask_random, false, false, f.All(), f.src); });
}
void BM_DrawMaskShapes(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawMask(0, 0, f.mask_shapes, false, false, f.All(), f.src); });
}
void BM_DrawMaskAlpha(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawMaskAlpha(0, 0, 200, f.mask_random, false, false, f.All(), f.src); });
}
void BM_DrawMaskAdd(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawMaskAdd(0, 0, 200, f.mask_random, false, false, f.All(), f.src); });
}
void BM_FillRectAlpha(benchmark::State& s) { Run(s, [](Frame& f) { f.dst.FillRectAlpha(f.All(), 0x336699, 100); }); }
void BM_AddRect(benchmark::State& s) { Run(s, [](Frame& f) { f.dst.AddRect(f.All(), 0x010203); }); }
void BM_SubRect(benchmark::State& s) { Run(s, [](Frame& f) { f.dst.SubRect(f.All(), 0x010203); }); }
void BM_DrawColorMask(benchmark::State& s) {
    Run(s, [](Frame& f) { f.dst.DrawColorMask(0, 0, 255, 0x336699, false, false, f.All(), f.mask_random); });
}
void BM_StretchDraw(benchmark::State& s) {
    Run(s, [](Frame& f) {
        f.dst.StretchDraw(f.All(), f.src, 255, false, false, false, TRect{0, 0, f.w / 2, f.h / 2});
    });
}

// ---- pixman doing the same work
void BM_PixmanSrc(benchmark::State& s) { Run(s, [](Frame& f) { Pixman(f, PIXMAN_OP_SRC, f.psrc, nullptr); }); }
void BM_PixmanOverConstAlpha(benchmark::State& s) {
    pixman_image_t* m = Solid(0, 0, 0, 0x8080);
    Run(s, [m](Frame& f) { Pixman(f, PIXMAN_OP_OVER, f.psrc, m); });
    pixman_image_unref(m);
}
void BM_PixmanAddConst(benchmark::State& s) {
    pixman_image_t* m = Solid(0, 0, 0, 0xC8C8);
    Run(s, [m](Frame& f) { Pixman(f, PIXMAN_OP_ADD, f.psrc, m); });
    pixman_image_unref(m);
}
void BM_PixmanOverMaskRandom(benchmark::State& s) {
    Run(s, [](Frame& f) { Pixman(f, PIXMAN_OP_OVER, f.psrc, f.pmask_random); });
}
void BM_PixmanOverMaskShapes(benchmark::State& s) {
    Run(s, [](Frame& f) { Pixman(f, PIXMAN_OP_OVER, f.psrc, f.pmask_shapes); });
}
void BM_PixmanAddMask(benchmark::State& s) { Run(s, [](Frame& f) { Pixman(f, PIXMAN_OP_ADD, f.psrc, f.pmask_random); }); }
void BM_PixmanOverSolid(benchmark::State& s) {
    pixman_image_t* c = Solid(0x2828, 0x3C3C, 0x1414, 0x6464);  // premultiplied
    Run(s, [c](Frame& f) { Pixman(f, PIXMAN_OP_OVER, c, nullptr); });
    pixman_image_unref(c);
}
void BM_PixmanAddSolid(benchmark::State& s) {
    pixman_image_t* c = Solid(0x0303, 0x0202, 0x0101, 0xFFFF);
    Run(s, [c](Frame& f) { Pixman(f, PIXMAN_OP_ADD, c, nullptr); });
    pixman_image_unref(c);
}
void BM_PixmanOverSolidMask(benchmark::State& s) {
    pixman_image_t* c = Solid(0x9999, 0x6666, 0x3333, 0xFFFF);
    Run(s, [c](Frame& f) { Pixman(f, PIXMAN_OP_OVER, c, f.pmask_random); });
    pixman_image_unref(c);
}
void BM_PixmanStretch(benchmark::State& s) {
    Run(s, [](Frame& f) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
        pixman_image_set_transform(f.psrc, &t);
        pixman_image_set_filter(f.psrc, PIXMAN_FILTER_NEAREST, nullptr, 0);
        Pixman(f, PIXMAN_OP_SRC, f.psrc, nullptr);
        pixman_image_set_transform(f.psrc, nullptr);
    });
}

// ---- a screen: background plus four full-screen layers with per-pixel alpha
void BM_FiveLayerScene(benchmark::State& state) {
    Frame& f = GetFrame(state.range(0));
    std::vector<std::unique_ptr<TDIBX>> layers, masks;
    for (int i = 0; i < 4; ++i) {
        layers.push_back(std::make_unique<TDIBX>(f.w, f.h, 32));
        masks.push_back(std::make_unique<TDIBX>(f.w, f.h, 8));
        layers.back()->DrawAll(f.src);
        // Each layer's shapes sit elsewhere.
        masks.back()->Draw(0, 0, false, false, false, TRect{0, 0, f.w, f.h}, f.mask_shapes);
        masks.back()->Draw(37 * i, 23 * i, false, false, false, TRect{0, 0, f.w, f.h}, f.mask_shapes);
    }
    TDIBX screen(f.w, f.h, 32);
    for (auto _ : state) {
        screen.DrawAll(f.dst);
        for (int i = 0; i < 4; ++i) screen.DrawMask(0, 0, *masks[size_t(i)], false, false, f.All(), *layers[size_t(i)]);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * f.Bytes());
}

void BM_FiveLayerSceneRandomAlpha(benchmark::State& state) {
    Frame& f = GetFrame(state.range(0));
    TDIBX screen(f.w, f.h, 32);
    for (auto _ : state) {
        screen.DrawAll(f.dst);
        for (int i = 0; i < 4; ++i) screen.DrawMask(0, 0, f.mask_random, false, false, f.All(), f.src);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * f.Bytes());
}

}  // namespace

#define FRAMES ->Arg(800)->Arg(1920)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_Memcpy) FRAMES;
BENCHMARK(BM_Draw) FRAMES;
BENCHMARK(BM_PixmanSrc) FRAMES;
BENCHMARK(BM_DrawKey) FRAMES;
BENCHMARK(BM_DrawAlpha) FRAMES;
BENCHMARK(BM_PixmanOverConstAlpha) FRAMES;
BENCHMARK(BM_DrawAdd) FRAMES;
BENCHMARK(BM_PixmanAddConst) FRAMES;
BENCHMARK(BM_DrawMaskRandom) FRAMES;
BENCHMARK(BM_PixmanOverMaskRandom) FRAMES;
BENCHMARK(BM_DrawMaskShapes) FRAMES;
BENCHMARK(BM_PixmanOverMaskShapes) FRAMES;
BENCHMARK(BM_DrawMaskAlpha) FRAMES;
BENCHMARK(BM_DrawMaskAdd) FRAMES;
BENCHMARK(BM_PixmanAddMask) FRAMES;
BENCHMARK(BM_FillRectAlpha) FRAMES;
BENCHMARK(BM_PixmanOverSolid) FRAMES;
BENCHMARK(BM_AddRect) FRAMES;
BENCHMARK(BM_SubRect) FRAMES;
BENCHMARK(BM_PixmanAddSolid) FRAMES;
BENCHMARK(BM_DrawColorMask) FRAMES;
BENCHMARK(BM_PixmanOverSolidMask) FRAMES;
BENCHMARK(BM_StretchDraw) FRAMES;
BENCHMARK(BM_PixmanStretch) FRAMES;
BENCHMARK(BM_FiveLayerScene) FRAMES;
BENCHMARK(BM_FiveLayerSceneRandomAlpha) FRAMES;
BENCHMARK_MAIN();
