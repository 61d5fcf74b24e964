#include <gtest/gtest.h>

#include "core/game_clock.hpp"

using namespace mivo;

TEST(GameClock, AddsRealTimeOnceAndDropsLongGaps) {
    GameClock c;
    c.Start(1000);
    EXPECT_TRUE(c.Advance(1016));
    EXPECT_EQ(c.Now(), 16);
    EXPECT_EQ(c.LastFrame(), 16);
    // A two-second stall: that gap does not count, and the frame is not run.
    EXPECT_FALSE(c.Advance(3016));
    EXPECT_EQ(c.Now(), 16);
    EXPECT_TRUE(c.Advance(3033));
    EXPECT_EQ(c.Now(), 33);
    EXPECT_TRUE(c.Advance(3333));  // exactly 300 still counts
    EXPECT_EQ(c.Now(), 333);
    EXPECT_FALSE(c.Advance(3000));  // time going backwards never counts
    c.Resume(5000);
    EXPECT_TRUE(c.Advance(5010));
    EXPECT_EQ(c.Now(), 343);
}

TEST(GameClock, PacingSleepsTheRestOfTheFrame) {
    struct Case {
        int64_t start, now;
        int32_t sleep;
    } cases[] = {{0, 0, 16}, {0, 5, 11}, {0, 14, 2}, {0, 40, 2}, {10, 5, 16}};
    for (const auto& c : cases) EXPECT_EQ(GameClock::PacingSleep(c.start, c.now), c.sleep) << c.now;
}

TEST(GameClock, FixedStepsAndWrapAround) {
    GameClock c;
    c.Set(0x7FFFFFF0);
    c.Step(32);
    EXPECT_EQ(c.Now(), static_cast<int32_t>(0x80000010u));
    EXPECT_EQ(c.LastFrame(), 32);
}
