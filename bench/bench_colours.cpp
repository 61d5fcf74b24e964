// Fitting an 800 × 600 photo-like picture to screens of fewer colours: the
// work done once per picture while it is loaded, never while drawing.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "data/colour_reduce.hpp"

using namespace mivo;

namespace {

// Smooth shading with grain, so the picture has tens of thousands of colours.
TDIBSurface Photo() {
    TDIBSurface s(800, 600, 32);
    uint32_t x = 2024;
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t c = 0; c < 800; ++c) {
            x = x * 1664525u + 1013904223u;
            const int grain = int(x >> 28) - 8;
            auto ch = [&](int v) { return uint32_t(std::clamp(v + grain, 0, 255)); };
            const uint32_t r = ch(c * 255 / 799), g = ch(y * 255 / 599), b = ch((c + y) * 255 / 1398);
            uint8_t* p = s.Row(y) + size_t(c) * 4;
            p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = 0;
        }
    return s;
}

void BM_Reduce(benchmark::State& state) {
    static const TDIBSurface photo = Photo();
    for (auto _ : state) {
        state.PauseTiming();
        TDIBSurface s = photo;
        state.ResumeTiming();
        ReduceColours(s, int(state.range(0)));
        benchmark::DoNotOptimize(s);
    }
}

}  // namespace

BENCHMARK(BM_Reduce)->Arg(8)->Arg(4)->Arg(16)->Arg(15)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
