// The one start of the video subsystem: the hints the show needs, the key
// latch that must see every press from the start, and a clean exit that
// gives the desktop back however the process ends normally.
#include "Platform/Video.h"

#include <SDL.h>
#include <cstdlib>
#include "Platform/Display.h"
#include "Platform/Keyboard.h"

namespace Ryx_Platform
{
    namespace
    {
        bool s_started = false;
        bool s_failed = false;

        int Watch_Keys(void*, SDL_Event* event)
        {
            if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE)
                Latch_Key_Press(VK_ESCAPE);
            return 0;
        }
    }

    bool Start_Video()
    {
        if (s_started)
            return true;
        if (s_failed || Has_Frame_Sink())
            return false;
        // Closing the window does not end the show, and SIGINT/SIGTERM are
        // turned into the program's own quit message, not SDL's.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // The software path through the window surface is several times
        // cheaper without the OpenGL detour on machines without a GPU.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            s_failed = true;
            return false;
        }
        SDL_AddEventWatch(&Watch_Keys, nullptr);
        std::atexit(&SDL_Quit);
        s_started = true;
        return true;
    }

    bool Video_Started() { return s_started; }
}
