// Internal to the platform layer: how a report is shown after its line on
// stderr. By default the warning box, when boxes are on and someone can answer
// one; the test library hands its tests every report first.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    using Report_Presenter = void (*)(const char* expression, const char* caption, const char* file,
                                      std::uint32_t line);
    // Null restores the box.
    void Set_Report_Presenter(Report_Presenter presenter);
    // The box, when boxes are on and someone can answer one.
    void Present_In_Box(const char* expression, const char* caption, const char* file, std::uint32_t line);
}
