// Windows: a failed check shows the system's own warning box, MessageBoxA with
// no owner, the check's text, the caption given (null: the system's "Error")
// and the single OK button, and returns when it is closed. As everywhere, one
// line goes to stderr first, and tests see every report through the hook.
#include "Platform/Report.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "Platform/Display.h"

#include <windows.h>

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Assertion_Hook> s_hook{nullptr};
        std::atomic<void*> s_hook_user{nullptr};
        std::atomic<bool> s_boxes{true};

        // Nobody is there to close a box while frames go to a sink, or under
        // SDL's headless video drivers (the tests').
        bool Display_Can_Show_Box()
        {
            if (Has_Frame_Sink())
                return false;
            const char* driver = std::getenv("SDL_VIDEODRIVER");
            return !(driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0));
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
        std::fprintf(stderr, "assertion: %s | caption: %s | file: %s | line: %u\n", expression ? expression : "",
                     caption ? caption : "Error", file ? file : "", static_cast<unsigned>(line));
        std::fflush(stderr);

        if (Assertion_Hook hook = s_hook.load())
            hook(expression, caption, file, line, s_hook_user.load());

        if (s_boxes.load() && Display_Can_Show_Box())
            MessageBoxA(nullptr, expression, caption, MB_ICONWARNING | MB_OK);
    }
}
