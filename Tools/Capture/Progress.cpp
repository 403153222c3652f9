#include "Tools/Capture/Progress.h"

#include <cstdio>
#include <unistd.h>

namespace Ryx_Capture
{
    Progress::Progress(bool quiet)
        : m_quiet(quiet), m_terminal(isatty(2) != 0), m_start(std::chrono::steady_clock::now()), m_last(m_start)
    {}

    bool Progress::Due()
    {
        if (m_quiet)
            return false;
        auto now = std::chrono::steady_clock::now();
        if (std::chrono::duration<double>(now - m_last).count() < (m_terminal ? 0.2 : 10.0))
            return false;
        m_last = now;
        return true;
    }

    void Progress::Show(long frames, long total, int order, int row, double show_seconds, std::uint64_t bytes)
    {
        double elapsed = std::chrono::duration<double>(m_last - m_start).count();
        double fraction = total > 0 ? double(frames) / double(total) : 0.0;
        fraction = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
        double fps = elapsed > 0 ? frames / elapsed : 0.0;
        double speed = elapsed > 0 ? show_seconds / elapsed : 0.0;
        double left = fraction > 0.001 ? elapsed * (1 - fraction) / fraction : 0.0;
        double megabytes = double(bytes) / 1e6;
        if (m_terminal)
        {
            char bar[31];
            int filled = int(fraction * 30 + 0.5);
            for (int i = 0; i < 30; ++i)
                bar[i] = i < filled ? '#' : '.';
            bar[30] = '\0';
            std::fprintf(stderr, "\r[%s] %3d%%  frame %ld  %02d:%02d  %.0f fps  %.2fx  %.1f MB  %d:%02d left ", bar,
                         int(fraction * 100), frames, order, row, fps, speed, megabytes, int(left) / 60,
                         int(left) % 60);
            m_drawn = true;
        }
        else
            std::fprintf(
                stderr,
                "capture: %3d%%  frame %ld  position %02d:%02d  %.0f fps  speed %.2fx  size %.1f MB  %d:%02d left\n",
                int(fraction * 100), frames, order, row, fps, speed, megabytes, int(left) / 60, int(left) % 60);
        std::fflush(stderr);
    }

    void Progress::Finish()
    {
        if (!m_quiet && m_terminal && m_drawn)
            std::fprintf(stderr, "\n");
    }
}
