// Windows: Ctrl+C and Ctrl+Break in the console, and SIGTERM raised in the
// process, reach the handler through the runtime's signals. The program is a
// GUI program, which the system starts without a console; started from one, it
// joins it, so that its lines and the console's Ctrl+C reach it too.
#include "Platform/Signals.h"

#include <csignal>
#include <cstdio>
#include <windows.h>

namespace Ryx_Platform
{
    namespace
    {
        bool Has_Output(DWORD which)
        {
            HANDLE handle = GetStdHandle(which);
            return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
        }

        void Join_Parent_Console()
        {
            if (Has_Output(STD_ERROR_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS))
                return;  // output already goes somewhere, or there is no console to join
            std::freopen("CONOUT$", "w", stdout);
            std::freopen("CONOUT$", "w", stderr);
        }
    }

    void Install_Signal_Handlers(void (*handler)(int))
    {
        Join_Parent_Console();
        std::signal(SIGINT, handler);
        std::signal(SIGBREAK, handler);
        std::signal(SIGTERM, handler);
    }
}
