// Windows wakes sleeping threads on the system timer's tick, 15.6 ms unless a
// program asks for finer: the display's 60 Hz pacing and the no-sound pacer's
// 5.8 ms pulls need 1 ms. Asked for while the platform layer is loaded (the
// multimedia library it imports is loaded and started before it).
#include <windows.h>

namespace Ryx_Platform
{
    namespace
    {
        struct Fine_Timer
        {
            Fine_Timer() { timeBeginPeriod(1); }
            ~Fine_Timer() { timeEndPeriod(1); }
        } s_fine_timer;
    }
}
