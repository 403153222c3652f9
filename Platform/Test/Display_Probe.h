// A display of plain memory in place of the live one, for tests of what the
// show hands to the screen: it refuses the depths it is told to, and keeps the
// last frame presented, as presented. In the test library only.
#pragma once
#include <cstdint>
#include <vector>

namespace Ryx_Platform
{
    struct Display_Probe
    {
        std::vector<int> refused_bits;  // a mode of one of these depths fails
        int width = 0;
        int height = 0;
        int bits = 0;
        std::int32_t pitch = 0;
        std::vector<std::uint8_t> frame;  // the last one, pitch bytes a row
        int presents = 0;
    };

    // Displays created from now on show into the probe, which must outlive
    // them. Null: the live display again, or the frame sink while one is set.
    void Use_Display_Probe(Display_Probe* probe);
}
