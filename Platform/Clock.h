// The millisecond counter the timer reads, and the virtual clock that tests and
// the capture tool put in its place.
#pragma once
#include <cstdint>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    // Milliseconds on the monotonic clock since the program started, as an
    // unsigned 32-bit count that wraps; the virtual value while one is set.
    RYX_PLATFORM_API std::uint32_t timeGetTime();

    RYX_PLATFORM_API void Set_Virtual_Time(std::uint32_t milliseconds);
    void Use_Real_Time();
}
