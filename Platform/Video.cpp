// The one start of the video subsystem: the hints the show needs, the key
// latch that must see every press from the start, and a clean exit that
// gives the desktop back however the process ends normally.
#include "Platform/Video.h"

#include <SDL.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include "Platform/Display_Backend.h"
#include "Platform/Keyboard.h"

namespace Ryx_Platform
{
    namespace
    {
        bool s_started = false;
        bool s_failed = false;
        bool s_quit_at_exit = false;
        std::atomic<int> s_toggles{0};

        int Watch_Keys(void*, SDL_Event* event)
        {
            if (event->type != SDL_KEYDOWN)
                return 0;
            SDL_Keycode key = event->key.keysym.sym;
            if (key == SDLK_ESCAPE)
                Latch_Key_Press(VK_ESCAPE);
            else if ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event->key.keysym.mod & KMOD_ALT) &&
                     !event->key.repeat)
                s_toggles.fetch_add(1);
            return 0;
        }

        // A screen is named, but SDL came up on one of its headless drivers,
        // which show nothing to anyone: the screen turned the connection away.
        // A bare X server does so while it resets, which it does whenever its
        // last client leaves (Display_Available's own look, for one).
        bool Screen_Turned_Away()
        {
            const char* driver = SDL_GetCurrentVideoDriver();
            const char* asked = std::getenv("SDL_VIDEODRIVER");
            return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
                !(asked && *asked) && (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"));
        }
    }

    bool Start_Video()
    {
        if (s_started)
            return true;
        if (s_failed || Has_Frame_Sink())
            return false;
        // Closing the window reaches the program as a message of its own, and
        // SIGINT/SIGTERM become the program's own quit message, not SDL's.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // The software path through the window surface is several times
        // cheaper without the OpenGL detour on machines without a GPU.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        // Up to a second for the screen to take the connection.
        for (int tries = 0; started && tries < 100 && Screen_Turned_Away(); ++tries)
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Delay(10);
            started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        }
        if (!started)
        {
            s_failed = true;
            return false;
        }
        SDL_AddEventWatch(&Watch_Keys, nullptr);
        if (!s_quit_at_exit)
            std::atexit(&SDL_Quit);
        s_quit_at_exit = true;
        s_started = true;
        return true;
    }

    void Stop_Video()
    {
        if (!s_started)
            return;
        SDL_DelEventWatch(&Watch_Keys, nullptr);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s_started = false;
    }

    bool Video_Started() { return s_started; }

    bool Take_Full_Screen_Toggle()
    {
        int pending = s_toggles.load();
        while (pending > 0 && !s_toggles.compare_exchange_weak(pending, pending - 1))
        {}
        return pending > 0;
    }
}
