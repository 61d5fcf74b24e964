#include "core/game_clock.hpp"

#include <algorithm>

namespace mivo {

bool GameClock::Advance(int64_t system_ms) {
    int64_t interval = system_ms - last_tick_;
    if (interval > kMaxInterval || interval < 0) {
        last_tick_ = system_ms;
        return false;
    }
    Step(static_cast<int32_t>(interval));
    last_tick_ = system_ms;
    return true;
}

void GameClock::Step(int32_t ms) {
    // The clock is a 32-bit millisecond count that wraps like the system's.
    now_ = static_cast<int32_t>(static_cast<uint32_t>(now_) + static_cast<uint32_t>(ms));
    last_frame_ = ms;
}

int32_t GameClock::PacingSleep(int64_t step_start, int64_t now) {
    int64_t left = kFramePeriod - (now - step_start);
    return static_cast<int32_t>(std::max<int64_t>(2, std::min<int64_t>(left, kFramePeriod)));
}

}  // namespace mivo
