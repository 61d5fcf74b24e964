#pragma once
// Where the game picture sits in a window of any size: scaled to fit with its
// aspect kept (black bars around), optionally by whole multiples only, below
// a reserved strip (the toolbar); and mapping pointer positions back.
#include <cstdint>

namespace mivo {

struct ScreenLayout {
    int32_t x = 0, y = 0, width = 0, height = 0;  // the picture in window pixels
    int32_t game_width = 0, game_height = 0;
};

ScreenLayout FitScreen(int32_t window_width, int32_t window_height, int32_t top_reserved, int32_t game_width,
                       int32_t game_height, bool integer_scale);

// A window position in game-screen coordinates, clamped to the screen;
// inside tells whether it was over the picture.
void WindowToGame(const ScreenLayout& l, int32_t wx, int32_t wy, int32_t& gx, int32_t& gy, bool& inside);

}  // namespace mivo
