// The millisecond counter the timer reads, and the virtual clock that tests and
// the capture tool put in its place.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    // Milliseconds on the monotonic clock since the program started, as an
    // unsigned 32-bit count that wraps; the virtual value while one is set.
    std::uint32_t timeGetTime();

    void Set_Virtual_Time(std::uint32_t milliseconds);
    void Use_Real_Time();
    bool Is_Virtual_Time();
}
