// Ctrl+C and SIGTERM on Linux: a quit message, or, while a modal box
// holds the main thread, the end of the process at once.
#include "Platform/Messages.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<bool> s_at_once{false};
        std::atomic<int> s_signal{0};
        static_assert(std::atomic<int>::is_always_lock_free);

        void Say(const char* text)
        {
            ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
            (void)ignored;
        }

        // Only async-signal-safe work: atomics, write and _exit.
        void On_Quit_Signal(int signal_number)
        {
            s_signal.store(signal_number);
            if (s_at_once.load())
            {
                Say(signal_number == SIGINT ? "\nCtrl+C while a warning box was up: ending now (exit status 130)\n"
                                            : "\nSIGTERM while a warning box was up: ending now (exit status 143)\n");
                _exit(128 + signal_number);
            }
            PostQuitMessage(128 + signal_number);
        }
    }

    void Post_Quit_On_Signals()
    {
        struct sigaction action = {};
        action.sa_handler = &On_Quit_Signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }

    void End_At_Once_On_Signals(bool on) { s_at_once.store(on); }

    int Get_Quit_Signal() { return s_signal.load(); }
}
