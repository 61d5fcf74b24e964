#include "graphics/screen_layout.hpp"

#include <algorithm>

namespace mivo {

ScreenLayout FitScreen(int32_t ww, int32_t wh, int32_t top, int32_t gw, int32_t gh, bool integer_scale) {
    ScreenLayout l;
    l.game_width = gw;
    l.game_height = gh;
    int64_t aw = std::max<int32_t>(ww, 0), ah = std::max<int32_t>(wh - top, 0);
    if (gw <= 0 || gh <= 0 || aw == 0 || ah == 0) return l;
    if (integer_scale && aw >= gw && ah >= gh) {
        int64_t k = std::min(aw / gw, ah / gh);
        l.width = static_cast<int32_t>(gw * k);
        l.height = static_cast<int32_t>(gh * k);
    } else if (aw * gh <= ah * gw) {
        // Width decides; bars above and below.
        l.width = static_cast<int32_t>(aw);
        l.height = static_cast<int32_t>(std::max<int64_t>(1, aw * gh / gw));
    } else {
        l.height = static_cast<int32_t>(ah);
        l.width = static_cast<int32_t>(std::max<int64_t>(1, ah * gw / gh));
    }
    l.x = static_cast<int32_t>((aw - l.width) / 2);
    l.y = top + static_cast<int32_t>((ah - l.height) / 2);
    return l;
}

void WindowToGame(const ScreenLayout& l, int32_t wx, int32_t wy, int32_t& gx, int32_t& gy, bool& inside) {
    if (l.width <= 0 || l.height <= 0) {
        gx = gy = 0;
        inside = false;
        return;
    }
    int64_t dx = int64_t(wx) - l.x, dy = int64_t(wy) - l.y;
    inside = dx >= 0 && dy >= 0 && dx < l.width && dy < l.height;
    // Floor division so that positions left of or above the picture stay outside.
    auto scale = [](int64_t d, int64_t game, int64_t shown) {
        int64_t v = d * game;
        return v >= 0 ? v / shown : -((-v + shown - 1) / shown);
    };
    gx = static_cast<int32_t>(std::clamp<int64_t>(scale(dx, l.game_width, l.width), 0, l.game_width - 1));
    gy = static_cast<int32_t>(std::clamp<int64_t>(scale(dy, l.game_height, l.height), 0, l.game_height - 1));
}

}  // namespace mivo
