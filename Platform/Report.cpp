#include "Platform/Report.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "Platform/Box.h"
#include "Platform/Display_Backend.h"
#include "Platform/Messages.h"
#include "Platform/Report_Presenter.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Report_Presenter> s_presenter{&Present_In_Box};
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

    void Set_Report_Presenter(Report_Presenter presenter)
    {
        s_presenter.store(presenter ? presenter : &Present_In_Box);
    }

    void Set_Assertion_Boxes(bool on) { s_boxes.store(on); }

    void Present_In_Box(const char* expression, const char* caption, const char*, std::uint32_t)
    {
        if (!s_boxes.load() || !Box_Wanted())
            return;
        End_At_Once_On_Signals(true);
        Show_Warning_Box(caption, expression ? expression : "");
        End_At_Once_On_Signals(false);
    }

    void Report_Assertion(const char* expression, const char* caption, const char* file, std::uint32_t line)
    {
        const char* body = expression ? expression : "";
        const char* title = caption ? caption : "Error";
        std::fprintf(stderr, "assertion: %s | caption: %s | file: %s | line: %u\n", body, title, file ? file : "",
                     static_cast<unsigned>(line));
        std::fflush(stderr);
        s_presenter.load()(expression, caption, file, line);
    }
}
