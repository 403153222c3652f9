// The creation record of the two line scenes: which figure, how many
// segments, and the line colour they start with.
#pragma once
#include <cstdint>

namespace Ryx_Vektu
{
    struct Line_Part_Setup
    {
        std::int32_t type;     // figure and drawing variant: 0 or 1
        std::uint32_t count;   // segments; the figure has twice as many points
        std::uint32_t colour;  // starting line colour, 0xAARRGGBB
    };
}
