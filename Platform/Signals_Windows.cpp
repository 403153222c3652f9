// Windows: the console's Ctrl+C and Ctrl+Break end the show as SIGINT does
// elsewhere (130); closing the console, logging off and shutting down as
// SIGTERM does (143). The system calls the handler on a thread of its own, so
// while a modal box holds the main thread the handler ends the process itself.
//
// The program is a GUI program, which the system starts without a console;
// started from one, it joins it, so that its lines and the console's Ctrl+C
// reach it too.
#include "Platform/Messages.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<bool> s_at_once{false};
        std::atomic<int> s_signal{0};

        bool Has_Output(DWORD which)
        {
            HANDLE handle = GetStdHandle(which);
            return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
        }

        // Joined even when the output goes elsewhere (a file), for the
        // console's Ctrl+C; only output that goes nowhere goes to it.
        void Join_Parent_Console()
        {
            const bool out = Has_Output(STD_OUTPUT_HANDLE);
            const bool err = Has_Output(STD_ERROR_HANDLE);
            if (!AttachConsole(ATTACH_PARENT_PROCESS))
                return;  // no console to join
            if (!out)
                std::freopen("CONOUT$", "w", stdout);
            if (!err)
                std::freopen("CONOUT$", "w", stderr);
        }

        void Say(const char* text)
        {
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, DWORD(std::strlen(text)), &written, nullptr);
        }

        BOOL WINAPI On_Console_Event(DWORD event)
        {
            const int signal_number = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
            s_signal.store(signal_number);
            if (s_at_once.load())
            {
                Say(signal_number == SIGINT ? "\nCtrl+C while a warning box was up: ending now (exit status 130)\n"
                                            : "\nSIGTERM while a warning box was up: ending now (exit status 143)\n");
                // As _exit does elsewhere: no library's clean-up runs while
                // the main thread is held.
                TerminateProcess(GetCurrentProcess(), UINT(128 + signal_number));
            }
            PostQuitMessage(128 + signal_number);
            // The system ends the process once this returns from a console
            // close, log-off or shut-down: the show has until then to end
            // by itself (and ends the process, and this thread, as it does).
            if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
                Sleep(4000);
            return TRUE;
        }
    }

    void Post_Quit_On_Signals()
    {
        Join_Parent_Console();
        SetConsoleCtrlHandler(&On_Console_Event, TRUE);
    }

    void End_At_Once_On_Signals(bool on) { s_at_once.store(on); }

    int Get_Quit_Signal() { return s_signal.load(); }
}
