// Reports of failed checks: a warning box when a display can show one, and
// always one line on stderr.
#pragma once
#include <cstdint>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    RYX_PLATFORM_API void Report_Assertion(const char* expression, const char* caption, const char* file,
                                           std::uint32_t line);

    // Off: no box is ever shown (tests, headless runs, the capture tool).
    RYX_PLATFORM_API void Set_Assertion_Boxes(bool on);
}
