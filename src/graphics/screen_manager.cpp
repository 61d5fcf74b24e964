#include "graphics/screen_manager.hpp"

namespace mivo {

TScreenManager::TScreenManager(int32_t w, int32_t h, int32_t pw, int32_t ph)
    : width_(w), height_(h), pref_width_(pw), pref_height_(ph), screen_(std::make_unique<TDIBX>(w, h, 32)) {}

void TScreenManager::SetModes(const std::vector<DisplayMode>& modes, int desktop_bits) {
    modes_.clear();
    chosen_mode = -1;
    for (const DisplayMode& m : modes) {
        if (m.width < width_ || m.height < height_ || m.bit_count < 16) continue;
        modes_.push_back(m);
        int index = static_cast<int>(modes_.size()) - 1;
        if (chosen_mode < 0) {
            chosen_mode = index;
            continue;
        }
        const DisplayMode& c = modes_[static_cast<size_t>(chosen_mode)];
        bool new_pref = m.width == pref_width_ && m.height == pref_height_;
        bool chosen_pref = c.width == pref_width_ && c.height == pref_height_;
        if (new_pref && (!chosen_pref || (m.bit_count == desktop_bits &&
                                          (c.bit_count != desktop_bits || m.refresh < c.refresh))))
            chosen_mode = index;
    }
}

bool TScreenManager::GetMode(int index, DisplayMode& out) const {
    if (index < 0 || index >= ModeCount()) return false;
    out = modes_[static_cast<size_t>(index)];
    return true;
}

void TScreenManager::Invalidate(const TRect& r) {
    TRect c = Intersect(r, TRect{0, 0, width_, height_});
    if (!c.IsEmpty()) dirty_.push_back(c);
}

void TScreenManager::Present(IWindow& window) {
    if (!HasChanges()) return;
    std::vector<WindowRect> rects;
    if (whole_) {
        rects.push_back({0, 0, width_, height_});
    } else {
        for (const TRect& r : dirty_) rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    ++present_count;
    const TDIBSurface& bmp = screen_->Bitmap();
    window.Present(bmp.Bits(), static_cast<int>(bmp.RowSize()), width_, height_, rects);
    dirty_.clear();
    whole_ = false;
}

}  // namespace mivo
