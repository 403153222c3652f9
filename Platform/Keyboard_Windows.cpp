// Windows: the key state is the system's own GetAsyncKeyState. Presses seen
// by SDL are latched as well, so a test's injected key, or a press between
// two polls that the system's bit 0 missed, still counts.
#include "Platform/Keyboard.h"

#include <SDL.h>
#include <atomic>
#include "Platform/Video.h"

// After the platform's own header: the system's header makes VK_ESCAPE a macro.
#include <windows.h>

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

    void Keyboard_Press(int key) { Latch_Key_Press(key); }

    void Inject_Key_Event(int key, bool down)
    {
        if (!Video_Started())
            return;
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key == VK_ESCAPE ? SDLK_ESCAPE : SDLK_UNKNOWN;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
        SDL_PushEvent(&event);
    }

    std::int16_t GetAsyncKeyState(int key)
    {
        if (key < 0 || key >= 256)
            return 0;
        // The latch only learns of presses when SDL's events are pumped.
        if (Video_Started() && !s_pumped)
            SDL_PumpEvents();
        s_pumped = false;
        SHORT system = ::GetAsyncKeyState(key);
        bool pressed = s_pressed[key].exchange(false);
        return static_cast<std::int16_t>(system | (pressed ? 1 : 0));
    }
}
