// The transitions of a picture over time, in every view, for luminance and
// for red, and the seconds that fail. A second fails when a transition in it
// is the seventh or later of its view and kind within one second (the six
// before it happen less than a second earlier): more than three flashes in
// the second up to that moment, as a viewer has just seen them.
#pragma once
#include <cstdint>
#include <vector>

#include "Platform/Flash_Measure.h"

namespace Ryx_Tools
{
    constexpr int Flash_Limit = 7;  // transitions within a second that fail it

    // For one second of the picture: the most transitions within one second
    // up to any of its own, for the whole screen, the worst window and
    // red (any view).
    struct Flash_Second
    {
        int whole = 0;
        int windows = 0;
        int window = 0;           // the worst window, 1 to 25
        int failing_windows = 0;  // windows that fail in it
        int red = 0;
        int red_view = 0;  // the worst view for red
        // When the first and the last failing transition of the second
        // happen (first above last when none fails).
        std::uint32_t first_failing = 0xFFFFFFFFu, last_failing = 0;

        bool Fails() const { return whole >= Flash_Limit || windows >= Flash_Limit || red >= Flash_Limit; }
    };

    class Flash_Series
    {
    public:
        Flash_Series();
        // The next frame's levels, shown at milliseconds (never earlier than
        // the frame before).
        void Add(const Ryx_Platform::Frame_Levels& levels, std::uint32_t milliseconds);
        long Get_Frames() const { return m_frames; }
        std::uint32_t Get_Last_Time() const { return m_last; }
        // Every second from 0 to that of the last frame.
        std::vector<Flash_Second> Evaluate() const;
        // When the transitions of a view happen (red: the red measure's).
        const std::vector<std::uint32_t>& Times(int view, bool red) const { return m_times[Index(view, red)]; }

    private:
        static std::size_t Index(int view, bool red) { return std::size_t(view) * 2 + (red ? 1 : 0); }

        std::vector<Ryx_Platform::Swing_Tracker> m_trackers;
        std::vector<std::vector<std::uint32_t>> m_times;
        long m_frames = 0;
        std::uint32_t m_last = 0;
    };

    // For each transition of one series (their times, in order), the
    // transitions within the second up to it, itself included.
    std::vector<int> Crowding(const std::vector<std::uint32_t>& times);
}
