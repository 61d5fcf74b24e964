#pragma once
// The game clock: milliseconds of play, advanced once per frame by the real
// time that passed. A gap longer than 300 ms (a stalled or dragged window, a
// suspended machine) is dropped rather than replayed, so the game never jumps.
#include <cstdint>

#include "core/input_state.hpp"

namespace mivo {

class GameClock {
public:
    static constexpr int32_t kMaxInterval = 300;
    static constexpr int32_t kFramePeriod = 16;

    // Starts counting from the given system time.
    void Start(int64_t system_ms) { last_tick_ = system_ms; }
    // Measures the interval since the last accepted frame. Returns false (and
    // restarts the measurement) when the gap is too long to count; otherwise
    // adds it to the clock and returns true: the frame step runs.
    bool Advance(int64_t system_ms);
    // A fixed step (headless runs): the clock moves exactly ms.
    void Step(int32_t ms);
    // After a pause (the window was inactive) nothing of the pause counts.
    void Resume(int64_t system_ms) { last_tick_ = system_ms; }

    int32_t Now() const { return now_; }
    int32_t LastFrame() const { return last_frame_; }
    void Set(int32_t now) { now_ = now; }

    // How long to sleep after a frame step that began at step_start so that
    // frames come every 16 ms; at least 2 ms.
    static int32_t PacingSleep(int64_t step_start, int64_t now);

private:
    int32_t now_ = 0;
    int32_t last_frame_ = 0;
    int64_t last_tick_ = 0;
};

// What every layer may look at: the clock and the flag that ends the game.
struct PlayerState {
    GameClock clock;
    bool terminate = false;
    InputState input;
    bool full_screen = false;
};

}  // namespace mivo
