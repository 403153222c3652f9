#include "Platform/Report.h"

#include <SDL.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "Platform/Display.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Assertion_Hook> s_hook{nullptr};
        std::atomic<void*> s_hook_user{nullptr};
        std::atomic<bool> s_boxes{true};

        // A box needs a display: never under the dummy or offscreen drivers,
        // nor without X11 or Wayland, nor while frames go to a sink.
        bool Display_Can_Show_Box()
        {
            if (Has_Frame_Sink())
                return false;  // offline: nobody is there to close a box
            const char* driver = std::getenv("SDL_VIDEODRIVER");
            if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
                return false;
            return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
        }
    }

    void Set_Assertion_Hook(Assertion_Hook hook, void* user)
    {
        s_hook_user.store(user);
        s_hook.store(hook);
    }

    void Set_Assertion_Boxes(bool on) { s_boxes.store(on); }

    void Report_Assertion(const char* expression, const char* caption,
                          const char* file, std::uint32_t line)
    {
        const char* body = expression ? expression : "";
        const char* title = caption ? caption : "Error";
        std::fprintf(stderr, "assertion: %s | caption: %s | file: %s | line: %u\n",
                     body, title, file ? file : "", static_cast<unsigned>(line));
        std::fflush(stderr);

        if (Assertion_Hook hook = s_hook.load())
            hook(expression, caption, file, line, s_hook_user.load());

        if (s_boxes.load() && Display_Can_Show_Box())
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title, body, nullptr);
    }
}
