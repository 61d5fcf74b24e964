#pragma once
// What the mouse and keyboard have done, as the game sees it: positions in
// game-screen coordinates, buttons and keys by Windows virtual-key code.
// The window fills it between frames; each frame step latches it once.
#include <array>
#include <cstddef>
#include <cstdint>

namespace mivo {

struct InputState {
    // Raw state, as events arrive.
    int32_t mouse_x = 0, mouse_y = 0;
    bool left_held = false, right_held = false;
    bool left_press_pending = false, right_press_pending = false;
    bool wheel_down_pending = false, wheel_up_pending = false;
    std::array<bool, 256> key_held{};
    std::array<bool, 256> key_typed_pending{};

    // Latched for the running frame (read by the scripts).
    bool left_click = false, right_click = false;
    bool wheel_down = false, wheel_up = false;
    std::array<bool, 256> key_typed{};

    // Once per frame step: what arrived since the last step becomes this
    // frame's clicks and typed keys.
    void Latch() {
        left_click = left_press_pending;
        right_click = right_press_pending;
        wheel_down = wheel_down_pending;
        wheel_up = wheel_up_pending;
        key_typed = key_typed_pending;
        left_press_pending = right_press_pending = wheel_down_pending = wheel_up_pending = false;
        key_typed_pending.fill(false);
    }
    void ClearKeys() {
        key_held.fill(false);
        key_typed_pending.fill(false);
        key_typed.fill(false);
    }
    void SetKey(int vk, bool down) {
        if (vk <= 0 || vk >= 256) return;
        key_held[static_cast<size_t>(vk)] = down;
        if (down) key_typed_pending[static_cast<size_t>(vk)] = true;
    }
};

}  // namespace mivo
