// The show's length and its positions, measured before the capture by
// playing the module's sound alone: the same decoder, pulled at the same
// instants as the capture will pull it. So times and positions given on the
// command line are checked, and turned into frames, before any work.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Ryx_Capture
{
    struct Show_Span
    {
        // order | row << 16 heard at each frame of the show.
        std::vector<std::uint32_t> positions;
        double seconds = 0.0;   // where the show ends: order 36, or the music's end
        bool complete = false;  // it ends at order 36
        int last_order = 0;     // the highest order heard

        long Get_Frames() const { return long(positions.size()); }
        // The first frame at or past order:row, -1 if the show never gets there.
        long Frame_At(int order, int row) const;
        // "the show is 201.87 s: orders 0 to 35"
        std::string Describe() const;
    };

    // Plays `module` (a path) through the offline audio at `fps` frames a
    // second, as the capture will; false with a reason.
    bool Measure_Show(const char* module, int fps, Show_Span& span, std::string& error);
}
