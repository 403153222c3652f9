#include "Tools/Capture/Progress.h"

#include <cstdio>
#include <unistd.h>

namespace Ryx_Capture
{
    Progress::Progress(bool quiet)
        : m_quiet(quiet), m_terminal(isatty(2) != 0),
          m_start(std::chrono::steady_clock::now()), m_last(m_start) {}

    void Progress::Update(long frames, int order, int row, double fraction)
    {
        if (m_quiet)
            return;
        auto now = std::chrono::steady_clock::now();
        double since = std::chrono::duration<double>(now - m_last).count();
        if (since < (m_terminal ? 0.2 : 10.0))
            return;
        m_last = now;
        double elapsed = std::chrono::duration<double>(now - m_start).count();
        double fps = elapsed > 0 ? frames / elapsed : 0.0;
        if (fraction < 0)
            fraction = 0;
        if (fraction > 1)
            fraction = 1;
        double left = fraction > 0.001 ? elapsed * (1 - fraction) / fraction : 0.0;
        if (m_terminal)
        {
            char bar[31];
            int filled = int(fraction * 30 + 0.5);
            for (int i = 0; i < 30; ++i)
                bar[i] = i < filled ? '#' : '.';
            bar[30] = '\0';
            std::fprintf(stderr, "\r[%s] %3d%%  frame %ld  %02d:%02d  %.0f fps  %d:%02d left ",
                         bar, int(fraction * 100), frames, order, row, fps, int(left) / 60, int(left) % 60);
            m_drawn = true;
        }
        else
            std::fprintf(stderr, "capture: %3d%%  frame %ld  position %02d:%02d  %.0f fps  %d:%02d left\n",
                         int(fraction * 100), frames, order, row, fps, int(left) / 60, int(left) % 60);
        std::fflush(stderr);
    }

    void Progress::Finish()
    {
        if (!m_quiet && m_terminal && m_drawn)
            std::fprintf(stderr, "\n");
    }
}
