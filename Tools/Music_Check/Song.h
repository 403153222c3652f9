// The rendered song that every part of the music check looks at, and the
// song's grid: 37 orders of 64 rows, 3864 frames a row at the show's rate.
#pragma once
#include <cstdint>
#include <vector>

#include "Platform/Audio_Rate.h"
#include "Tools/Module_Render/Module_Render.h"
#include "Tools/Music_Check/Report.h"

namespace Ryx_Tools
{
    constexpr int Rate = Ryx_Platform::Audio_Rate;
    constexpr int Row_Frames = 6 * (Rate * 5 / 2 / 171);  // 6 ticks at tempo 171: 3864
    constexpr int Orders = 37;
    constexpr int Rows = 64;

    inline std::int64_t Row_Start(int order, int row) { return (std::int64_t(order) * Rows + row) * Row_Frames; }

    struct Song
    {
        std::vector<std::uint8_t> bytes;  // the module file
        Rendered_Module module;           // libopenmpt's render
        std::vector<float> mono;          // its left and right averaged
        std::vector<float> xmp;           // xmp's render, interleaved stereo
    };

    // Loudness per order and section, the arc, the whole song's loudness and
    // true peak in both players, the fade at the end, the stereo image.
    void Check_Levels(const Song& song, Report& report);
    // Each channel alone in the groove (orders 4-7): the drums' balance and
    // colour, the kick's pitch, the bass's range and how it gives way to the kick.
    void Check_Solos(const Song& song, Report& report);
    // Onsets on the show's cue rows, the groove's backbeat, the flashes of the
    // drum section, the silences.
    void Check_Cues(const Song& song, Report& report);
    // The score as written: orders that repeat an earlier one note for note.
    void Check_Writing(const Song& song, Report& report);
}
