// Key state like the system's asynchronous query: down now, or pressed since
// the last query. Presses SDL sees are latched, so a test's injected key, or
// a press between two polls, still counts; SDL only learns of keys when
// events are pumped, so a query pumps unless the message pump already did.
#include "Platform/Keyboard.h"

#include <SDL.h>
#include <atomic>
#include "Platform/Key_State.h"
#include "Platform/Video.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<bool> s_pressed[256];
        bool s_pumped = false;
    }

    void Latch_Key_Press(int key)
    {
        if (key >= 0 && key < 256)
            s_pressed[key].store(true);
    }

    void Note_Events_Pumped() { s_pumped = true; }

    SDL_Keycode Sdl_Key_Of(int key)
    {
        if (key == VK_ESCAPE)
            return SDLK_ESCAPE;
        if (key >= 'A' && key <= 'Z')
            return key - 'A' + 'a';
        if (key >= '0' && key <= '9')
            return key;
        return SDLK_UNKNOWN;
    }

    std::int16_t GetAsyncKeyState(int key)
    {
        if (key < 0 || key >= 256)
            return 0;
        if (Video_Started() && !s_pumped)
            SDL_PumpEvents();
        s_pumped = false;
        std::int16_t system = System_Key_State(key);
        bool pressed = s_pressed[key].exchange(false);
        return static_cast<std::int16_t>(system | (pressed ? 1 : 0));
    }
}
