// Reports of failed checks: a warning box when a display can show one, and
// always one line on stderr. Tests observe reports through a hook instead of a
// modal box.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    void Report_Assertion(const char* expression, const char* caption, const char* file, std::uint32_t line);

    // Called for every report, before any box is shown. Null removes the hook.
    using Assertion_Hook = void (*)(const char* expression, const char* caption, const char* file, std::uint32_t line,
                                    void* user);
    void Set_Assertion_Hook(Assertion_Hook hook, void* user);

    // Off: no box is ever shown (tests, headless runs, the capture tool).
    void Set_Assertion_Boxes(bool on);
}
