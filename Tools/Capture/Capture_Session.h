// One capture: every output it writes, and the work done for each frame the
// show presents. The show calls Begin_Pass once a pass of its frame loop and
// On_Frame for every presented frame; after the frame, the clock and the sound
// move on to the next frame's instant.
#pragma once
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Tools/Capture/Capture_Options.h"
#include "Tools/Capture/Enlarge.h"
#include "Tools/Capture/Frame_Clock.h"
#include "Tools/Capture/Output_List.h"
#include "Tools/Capture/Progress.h"

namespace Ryx_Capture
{
    // Which frames of the show the capture records, as frame indices.
    struct Capture_Plan
    {
        long first = 0;                               // the first frame recorded
        long end = std::numeric_limits<long>::max();  // the frame after the last; max: the show's end
        long still = -1;                              // --at: the frame written
        long show_frames = 0;                         // frames of the whole show
        Frame_Layout layout;
    };

    class Capture_Session
    {
    public:
        struct Stop_Show
        {};

        // Chooses the outputs the options ask for.
        Capture_Session(const Capture_Options& options, const Capture_Plan& plan);

        // Opens every output under its temporary name; false with the reason.
        // notes: lines for the user (an encoder other than the usual one).
        bool Open(std::string& error, std::vector<std::string>& notes);
        // Once a pass of the frame loop, before the scene draws: the only
        // place the capture stops the show (by throwing Stop_Show).
        void Begin_Pass();
        void On_Frame(const std::uint32_t* pixels, int width, int height);
        // Completes every output, still under its temporary name.
        bool Finish(std::string& error);
        // Renames every output into place (inside Begin_Commit).
        bool Commit(std::string& error);

        long Get_Recorded() const { return m_recorded; }
        std::uint64_t Get_Size() const { return m_outputs.Get_Size(); }
        void Print_Summary(double wall) const;

    private:
        void Advance_Clocks(bool record);
        void Fail(const std::string& reason);
        const std::string& Main_Output() const;

        const Capture_Options& m_options;
        Capture_Plan m_plan;
        Progress m_progress;
        Output_List m_outputs;
        std::vector<std::int16_t> m_sound;
        std::uint64_t m_pulled = 0;
        long m_frames = 0;  // frames presented, the show's frame index
        long m_recorded = 0;
        bool m_in_show = false;
        bool m_done = false;
        std::string m_error;
        int m_last_order = 0;
        int m_last_row = 0;
        std::chrono::steady_clock::time_point m_render_start = std::chrono::steady_clock::now();
        double m_render_seconds = 0.0;
        double m_audio_seconds = 0.0;
        double m_output_seconds = 0.0;
    };
}
