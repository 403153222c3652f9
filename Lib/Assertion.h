// The reporter of failed checks, and the check macros every module uses.
//
// RYX_ASSERT(condition) reports the condition's source text, a null caption,
// the source file and line 0, then carries on. An impossible branch is written
// RYX_ASSERT(!"what went wrong"), so the report reads !"what went wrong".
#pragma once
#include <cstdint>
#include "Lib/Lib_Api.h"

namespace Ryx_Lib
{
    // Shows a warning box (or, without a display, a line on stderr) and returns.
    RYX_LIB_API void Throw_Assertion(const char* expression, const char* message, const char* file, std::uint32_t line);
}

#define RYX_ASSERT(condition)                                                                                          \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(condition))                                                                                              \
            ::Ryx_Lib::Throw_Assertion(#condition, nullptr, __FILE__, 0);                                              \
    } while (0)

// The form with a caption: the message is passed stringified, quotes included.
#define RYX_ASSERT_MSG(condition, message, line)                                                                       \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(condition))                                                                                              \
            ::Ryx_Lib::Throw_Assertion(#condition, #message, __FILE__, line);                                          \
    } while (0)
