#pragma once
// The screen: the surface the game composes into every frame, the display
// modes offered for full screen, and presenting the changed parts of the
// surface to the window.
#include <memory>
#include <vector>

#include "core/window.hpp"
#include "graphics/dibx.hpp"
#include "graphics/rect.hpp"

namespace mivo {

class TScreenManager {
public:
    TScreenManager(int32_t screen_width, int32_t screen_height, int32_t preferred_width, int32_t preferred_height);

    TDIBX& Screen() { return *screen_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The bit count components use for their pictures.
    int SurfaceBitCount() const { return 32; }

    // Keeps the modes that can show the game (at least its size, 16 bits or
    // more) and chooses one: the preferred size at the desktop's bit count
    // with the lowest refresh rate, else the first listed.
    void SetModes(const std::vector<DisplayMode>& modes, int desktop_bit_count);
    int ModeCount() const { return static_cast<int>(modes_.size()); }
    bool GetMode(int index, DisplayMode& out) const;
    int chosen_mode = -1;

    // Changed areas; Present sends them (or everything once) to the window.
    void Invalidate(const TRect& r);
    void InvalidateAll() { whole_ = true; }
    bool HasChanges() const { return whole_ || !dirty_.empty(); }
    void Present(IWindow& window);

    int present_count = 0;
    double frame_rate = 0;

private:
    int32_t width_, height_, pref_width_, pref_height_;
    std::unique_ptr<TDIBX> screen_;
    std::vector<DisplayMode> modes_;
    std::vector<TRect> dirty_;
    bool whole_ = true;
};

}  // namespace mivo
