// Where the system has no asynchronous key query (X11, Wayland), SDL's
// keyboard state, as of the last pump, says which keys are down.
#include "Platform/Key_State.h"

#include <SDL.h>
#include "Platform/Video.h"

namespace Ryx_Platform
{
    std::int16_t System_Key_State(int key)
    {
        SDL_Keycode sdl_key = Sdl_Key_Of(key);
        if (!Video_Started() || sdl_key == SDLK_UNKNOWN)
            return 0;
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        SDL_Scancode code = SDL_GetScancodeFromKey(sdl_key);
        return code > 0 && code < count && state[code] ? static_cast<std::int16_t>(0x8000) : 0;
    }
}
