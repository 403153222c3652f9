// Progress of a capture, like ffmpeg's: a bar on a terminal, plain periodic
// lines otherwise, with the speed as a multiple of real time and the size of
// the output so far.
#pragma once
#include <chrono>
#include <cstdint>

namespace Ryx_Capture
{
    class Progress
    {
    public:
        explicit Progress(bool quiet);
        // Whether a line is due (five a second on a terminal, one every ten
        // seconds otherwise); the caller then gathers the figures for Show.
        bool Due();
        // frames: rendered so far of `total`; show_seconds: show time rendered.
        void Show(long frames, long total, int order, int row, double show_seconds, std::uint64_t bytes);
        void Finish();

    private:
        bool m_quiet;
        bool m_terminal;
        std::chrono::steady_clock::time_point m_start;
        std::chrono::steady_clock::time_point m_last;
        bool m_drawn = false;
    };
}
