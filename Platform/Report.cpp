#include "Platform/Report.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "Platform/Box.h"
#include "Platform/Display.h"
#include "Platform/Messages.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Assertion_Hook> s_hook{nullptr};
        std::atomic<void*> s_hook_user{nullptr};
        std::atomic<bool> s_boxes{true};

        // Never under the headless video drivers, nor while frames go to a
        // sink: nobody is there to answer a box. Nor once a quit waits: the
        // user has asked to end, and a box would only hold that up.
        bool Box_Wanted()
        {
            if (Has_Frame_Sink() || Quit_Pending())
                return false;
            const char* driver = std::getenv("SDL_VIDEODRIVER");
            return !driver || (std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0);
        }
    }

    void Set_Assertion_Hook(Assertion_Hook hook, void* user)
    {
        s_hook_user.store(user);
        s_hook.store(hook);
    }

    void Set_Assertion_Boxes(bool on) { s_boxes.store(on); }

    void Report_Assertion(const char* expression, const char* caption, const char* file, std::uint32_t line)
    {
        const char* body = expression ? expression : "";
        const char* title = caption ? caption : "Error";
        std::fprintf(stderr, "assertion: %s | caption: %s | file: %s | line: %u\n", body, title, file ? file : "",
                     static_cast<unsigned>(line));
        std::fflush(stderr);

        if (Assertion_Hook hook = s_hook.load())
            hook(expression, caption, file, line, s_hook_user.load());

        if (s_boxes.load() && Box_Wanted())
        {
            End_At_Once_On_Signals(true);
            Show_Warning_Box(caption, body);
            End_At_Once_On_Signals(false);
        }
    }
}
