#include <gtest/gtest.h>

#include "platform/sdl_keymap.hpp"

using namespace mivo;

TEST(KeyMap, KeysBecomeWindowsVirtualKeyCodes) {
    struct Case {
        SDL_Scancode sc;
        int vk;
    } cases[] = {
        {SDL_SCANCODE_A, 0x41},      {SDL_SCANCODE_Z, 0x5A},         {SDL_SCANCODE_0, 0x30},
        {SDL_SCANCODE_1, 0x31},      {SDL_SCANCODE_9, 0x39},         {SDL_SCANCODE_F1, 0x70},
        {SDL_SCANCODE_F12, 0x7B},    {SDL_SCANCODE_RETURN, 0x0D},    {SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDL_SCANCODE_ESCAPE, 0x1B}, {SDL_SCANCODE_SPACE, 0x20},     {SDL_SCANCODE_LEFT, 0x25},
        {SDL_SCANCODE_DOWN, 0x28},   {SDL_SCANCODE_LSHIFT, 0x10},    {SDL_SCANCODE_RSHIFT, 0x10},
        {SDL_SCANCODE_RCTRL, 0x11},  {SDL_SCANCODE_KP_0, 0x60},      {SDL_SCANCODE_KP_9, 0x69},
        {SDL_SCANCODE_PAGEUP, 0x21}, {SDL_SCANCODE_BACKSPACE, 0x08}, {SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ScancodeToVirtualKey(c.sc), c.vk) << int(c.sc);
}
