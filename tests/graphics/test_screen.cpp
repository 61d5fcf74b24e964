#include <gtest/gtest.h>

#include "graphics/screen_layout.hpp"
#include "graphics/screen_manager.hpp"

using namespace mivo;

TEST(ScreenLayout, FitsWithTheAspectKept) {
    struct Case {
        int32_t ww, wh, top;
        bool integer;
        ScreenLayout want;
    } cases[] = {
        {800, 622, 22, false, {0, 22, 800, 600}},      // the window as made: toolbar above, 1:1
        {1920, 1080, 0, false, {240, 0, 1440, 1080}},  // 4:3 on 16:9: bars left and right
        {1600, 1600, 0, false, {0, 200, 1600, 1200}},  // bars above and below
        {1920, 1080, 0, true, {560, 240, 800, 600}},   // whole multiples: 1x fits, 2x does not
        {1700, 1300, 0, true, {50, 50, 1600, 1200}},   // 2x
        {400, 300, 0, true, {0, 0, 400, 300}},         // smaller than the game: scaled down anyway
    };
    for (const auto& c : cases) {
        ScreenLayout l = FitScreen(c.ww, c.wh, c.top, 800, 600, c.integer);
        EXPECT_EQ(l.x, c.want.x) << c.ww << "x" << c.wh;
        EXPECT_EQ(l.y, c.want.y);
        EXPECT_EQ(l.width, c.want.width);
        EXPECT_EQ(l.height, c.want.height);
    }
}

TEST(ScreenLayout, PointerPositionsMapBackThroughTheScale) {
    ScreenLayout l = FitScreen(1920, 1080, 0, 800, 600, false);  // picture at x 240, 1.8 times
    struct Case {
        int32_t wx, wy, gx, gy;
        bool inside;
    } cases[] = {
        {240, 0, 0, 0, true},      {1679, 1079, 799, 599, true}, {960, 540, 400, 300, true},
        {239, 540, 0, 300, false}, {1680, 540, 799, 300, false}, {100, -5, 0, 0, false},
    };
    for (const auto& c : cases) {
        int32_t gx, gy;
        bool inside;
        WindowToGame(l, c.wx, c.wy, gx, gy, inside);
        EXPECT_EQ(gx, c.gx) << c.wx << "," << c.wy;
        EXPECT_EQ(gy, c.gy);
        EXPECT_EQ(inside, c.inside);
    }
}

TEST(ScreenManager, ChoosesThePreferredModeAtTheLowestRefresh) {
    TScreenManager s(800, 600, 800, 600);
    s.SetModes({{640, 480, 32, 60},
                {1024, 768, 32, 60},
                {800, 600, 32, 75},
                {800, 600, 8, 60},
                {800, 600, 16, 50},
                {800, 600, 32, 60},
                {800, 600, 32, 60}},
               32);
    EXPECT_EQ(s.ModeCount(), 5);  // too small and 8 bits never enter the list
    DisplayMode m;
    ASSERT_TRUE(s.GetMode(s.chosen_mode, m));
    EXPECT_EQ(m.refresh, 60);
    EXPECT_EQ(m.bit_count, 32);
    EXPECT_EQ(s.chosen_mode, 3);  // the first of the two equal ones
    EXPECT_FALSE(s.GetMode(5, m));
    TScreenManager none(800, 600, 800, 600);
    none.SetModes({{1024, 768, 32, 60}}, 32);
    EXPECT_EQ(none.chosen_mode, 0);  // nothing of the preferred size: the first listed
}

namespace {
struct RecordingWindow : IWindow {
    std::vector<std::vector<WindowRect>> presents;
    bool Poll(WindowEvent&) override { return false; }
    void Wait(int) override {}
    uint64_t Ticks() const override { return 0; }
    void Present(const uint8_t*, int, int, int, const std::vector<WindowRect>& d) override { presents.push_back(d); }
    void SetFullScreen(bool) override {}
    bool IsFullScreen() const override { return false; }
    std::vector<DisplayMode> DisplayModes() const override { return {}; }
    void SetTitle(const std::string&) override {}
    bool ReadBack(std::vector<uint32_t>&, int&, int&) override { return false; }
    void MoveCursor(int32_t, int32_t) override {}
};
}  // namespace

TEST(ScreenManager, PresentsOnlyWhatChanged) {
    TScreenManager s(320, 240, 320, 240);
    RecordingWindow w;
    s.Present(w);  // the first frame is whole
    s.Present(w);  // nothing changed: nothing sent
    s.Invalidate(TRect{10, 10, 20, 20});
    s.Invalidate(TRect{300, 200, 400, 300});  // clipped to the screen
    s.Invalidate(TRect{500, 500, 600, 600});  // outside: dropped
    s.Present(w);
    ASSERT_EQ(w.presents.size(), 2u);
    ASSERT_EQ(w.presents[0].size(), 1u);
    EXPECT_EQ(w.presents[0][0].right, 320);
    ASSERT_EQ(w.presents[1].size(), 2u);
    EXPECT_EQ(w.presents[1][1].right, 320);
    EXPECT_EQ(w.presents[1][1].bottom, 240);
    EXPECT_EQ(s.present_count, 2);
}
