// Progress of a capture: a bar on a terminal, plain periodic lines otherwise.
#pragma once
#include <chrono>
#include <string>

namespace Ryx_Capture
{
    class Progress
    {
    public:
        explicit Progress(bool quiet);
        // fraction: 0 to 1 of the show; order and row: the music's position.
        void Update(long frames, int order, int row, double fraction);
        void Finish();

    private:
        bool m_quiet;
        bool m_terminal;
        std::chrono::steady_clock::time_point m_start;
        std::chrono::steady_clock::time_point m_last;
        bool m_drawn = false;
    };
}
