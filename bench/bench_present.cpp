// Presenting a frame in the window: the whole 800x600 and 1920x1080 picture,
// and a few changed rectangles, beside a plain memcpy of the frame. Runs on
// the display in DISPLAY (a virtual one does), else on SDL's offscreen driver.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/sdl_window.hpp"

namespace {

struct Frame {
    int w, h;
    std::vector<uint8_t> pixels;
    Frame(int width, int height) : w(width), h(height), pixels(size_t(width) * height * 4) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7 + (i >> 12));
    }
};

std::unique_ptr<mivo::SdlWindow> OpenWindow(int w, int h) {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    mivo::WindowOptions o;
    o.title = "bench";
    o.game_width = w;
    o.game_height = h;
    o.toolbar = false;
    return mivo::SdlWindow::Create(o);
}

void BM_PresentWhole(benchmark::State& state) {
    Frame f(int(state.range(0)), int(state.range(1)));
    auto win = OpenWindow(f.w, f.h);
    std::vector<mivo::WindowRect> all = {{0, 0, f.w, f.h}};
    for (auto _ : state) win->Present(f.pixels.data(), f.w * 4, f.w, f.h, all);
    state.SetBytesProcessed(state.iterations() * int64_t(f.pixels.size()));
    state.SetLabel(win->RendererName());
}

void BM_PresentDirty(benchmark::State& state) {
    Frame f(int(state.range(0)), int(state.range(1)));
    auto win = OpenWindow(f.w, f.h);
    // A message box line and a button: what a typical frame changes.
    std::vector<mivo::WindowRect> dirty = {{40, f.h - 160, f.w - 40, f.h - 130}, {f.w - 200, 20, f.w - 40, 60}};
    for (auto _ : state) win->Present(f.pixels.data(), f.w * 4, f.w, f.h, dirty);
    state.SetLabel(win->RendererName());
}

void BM_Memcpy(benchmark::State& state) {
    Frame f(int(state.range(0)), int(state.range(1)));
    std::vector<uint8_t> out(f.pixels.size());
    for (auto _ : state) {
        std::memcpy(out.data(), f.pixels.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(out.size()));
}

}  // namespace

BENCHMARK(BM_PresentWhole)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentDirty)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
