#pragma once
// SDL key positions to the Windows virtual-key codes that scripts see.
#include <SDL2/SDL_scancode.h>

namespace mivo {

// 0 for keys that have no virtual-key code.
int ScancodeToVirtualKey(SDL_Scancode sc);

}  // namespace mivo
