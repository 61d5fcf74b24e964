#pragma once
// The game window on SDL: a streaming texture that receives the changed
// rectangles of each frame, scaled to the window with its aspect kept, the
// toolbar and the message boxes drawn on top with Dear ImGui.
#include <memory>
#include <string>

#include "core/dialogs.hpp"
#include "core/window.hpp"

namespace mivo {

struct WindowOptions {
    std::string title;         // UTF-8
    int32_t game_width = 800;
    int32_t game_height = 600;
    bool toolbar = true;       // the "終了" / "画面切替" strip above the picture
    int scale = 1;             // initial window size as a multiple of the game
    bool integer_scale = false;
    bool full_screen = false;
    std::string renderer = "auto";  // auto, software, accelerated
};

class SdlWindow : public IWindow, public IDialogs {
public:
    // Raises an Error when no window can be opened (no display, for example).
    static std::unique_ptr<SdlWindow> Create(const WindowOptions& options);
    ~SdlWindow() override;

    bool Poll(WindowEvent& e) override;
    void Wait(int ms) override;
    uint64_t Ticks() const override;
    void Present(const uint8_t* pixels, int pitch, int width, int height,
                 const std::vector<WindowRect>& dirty) override;
    void SetFullScreen(bool on) override;
    bool IsFullScreen() const override;
    std::vector<DisplayMode> DisplayModes() const override;
    void SetTitle(const std::string& utf8) override;
    bool ReadBack(std::vector<uint32_t>& pixels, int& width, int& height) override;
    void MoveCursor(int32_t x, int32_t y) override;

    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                   MsgResult headless_answer) override;

    // Which renderer SDL runs ("software", "opengl", ...).
    std::string RendererName() const;

    struct Impl;

private:
    explicit SdlWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mivo
