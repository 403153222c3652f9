// Internal to the platform layer: what the system itself knows of a key, for
// the key-state call. One file per system implements it.
#pragma once
#include <SDL_keycode.h>
#include <cstdint>

namespace Ryx_Platform
{
    // Bit 15 while the key is down now (other bits as the system gives them).
    std::int16_t System_Key_State(int key);
    // SDL's key for a virtual-key code, SDLK_UNKNOWN for those without one.
    SDL_Keycode Sdl_Key_Of(int key);
}
