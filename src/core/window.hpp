#pragma once
// The player's window as the core sees it: events in game-screen
// coordinates with Windows key codes, and presenting 32-bit frames (XRGB,
// the fourth byte 0) by changed rectangles.
#include <cstdint>
#include <string>
#include <vector>

namespace mivo {

struct WindowRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DisplayMode {
    int32_t width = 0, height = 0, bit_count = 32, refresh = 0;
};

struct WindowEvent {
    enum Kind {
        None,
        Close,           // the window's close button
        ExitRequest,     // the toolbar's "終了": asks before closing
        MouseMove,
        MouseDown,
        MouseUp,
        Wheel,
        KeyDown,
        KeyUp,
        Activated,
        Deactivated,
        ToggleFullScreen,  // "画面切替", Alt+Enter, F11
        Screenshot,        // the screenshot key
    };
    Kind kind = None;
    int32_t x = 0, y = 0;   // game-screen coordinates
    int button = 0;         // 1 left, 2 right, 3 middle
    int key = 0;            // virtual-key code
    bool repeat = false;    // a key-down the system repeated
    int wheel = 0;          // > 0 up, < 0 down
    bool on_screen = true;  // the pointer is over the game picture
};

class IWindow {
public:
    virtual ~IWindow() = default;
    virtual bool Poll(WindowEvent& e) = 0;
    // Sleeps up to ms, waking early when input arrives.
    virtual void Wait(int ms) = 0;
    virtual uint64_t Ticks() const = 0;
    // Shows a frame: pixels of a width × height picture, rows pitch bytes
    // apart; only the dirty rectangles changed since the last present.
    virtual void Present(const uint8_t* pixels, int pitch, int width, int height,
                         const std::vector<WindowRect>& dirty) = 0;
    virtual void SetFullScreen(bool on) = 0;
    virtual bool IsFullScreen() const = 0;
    virtual std::vector<DisplayMode> DisplayModes() const = 0;
    virtual void SetTitle(const std::string& utf8) = 0;
    // Moves the pointer to a game-screen position.
    virtual void MoveCursor(int32_t x, int32_t y) = 0;
    // The picture as shown in the window (for screenshots of the window).
    virtual bool ReadBack(std::vector<uint32_t>& pixels, int& width, int& height) = 0;
};

}  // namespace mivo
