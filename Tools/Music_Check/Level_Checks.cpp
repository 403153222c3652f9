// Levels as a producer reads them: LUFS per order (ITU-R BS.1770 through
// libebur128), the arc of the song, its integrated loudness and true peak in
// both players, and how wide the mix is.
#include <algorithm>
#include <cmath>
#include <string>

#include "Tools/Music_Check/Loudness.h"
#include "Tools/Music_Check/Song.h"

namespace Ryx_Tools
{
    namespace
    {
        double Db(double v) { return 20.0 * std::log10(v + 1e-12); }

        // Side energy against mid energy (dB) over frames [from, to).
        double Side_Under_Mid(const std::vector<float>& stereo, std::int64_t from, std::int64_t to)
        {
            double mid = 0, side = 0;
            for (std::int64_t f = from; f < to; ++f)
            {
                const double l = stereo[std::size_t(2 * f)], r = stereo[std::size_t(2 * f + 1)];
                mid += (l + r) * (l + r);
                side += (l - r) * (l - r);
            }
            return 10 * std::log10((side + 1e-12) / (mid + 1e-12));
        }

        // Rows of twelve orders: their number, loudness and sample peak.
        void Print_Table(const std::vector<double>& lufs, const std::vector<double>& peaks)
        {
            std::printf("     per order (libopenmpt): integrated LUFS and sample peak dBFS\n");
            auto row = [](const char* name, const std::vector<double>& v, std::size_t first) {
                std::printf("     %-6s", name);
                for (std::size_t i = first; i < std::min(v.size(), first + 12); ++i)
                    if (std::isfinite(v[i]))
                        std::printf("%6.1f", v[i]);
                    else
                        std::printf("%6s", "-inf");
                std::printf("\n");
            };
            for (std::size_t first = 0; first < lufs.size(); first += 12)
            {
                std::printf("     order ");
                for (std::size_t i = first; i < std::min(lufs.size(), first + 12); ++i)
                    std::printf("%6zu", i);
                std::printf("\n");
                row("LUFS", lufs, first);
                row("peak", peaks, first);
            }
        }

        void Check_Player(const char* player, const std::vector<float>& stereo, Report& report)
        {
            const std::int64_t end = Row_Start(Orders, 0);
            const double lufs = Integrated_Lufs(stereo, 0, end), peak = True_Peak_Db(stereo);
            report.Check(std::fabs(lufs + 14.0) <= 1.0, Format("%-10s integrated %.1f LUFS (-14 +-1)", player, lufs));
            report.Check(peak <= -1.0, Format("%-10s true peak %.2f dBTP (at most -1.0)", player, peak));
        }
    }

    void Check_Levels(const Song& song, Report& report)
    {
        const std::vector<float>& s = song.module.samples;
        double sample_peak = 0;
        for (float v : s)
            sample_peak = std::max(sample_peak, double(std::fabs(v)));
        report.Check(Db(sample_peak) <= -0.3, Format("sample peak %.2f dBFS (at most -0.3)", Db(sample_peak)));
        Check_Player("libopenmpt", s, report);
        if (song.xmp.size() == s.size())
            Check_Player("xmp", song.xmp, report);
        else
            report.Check(false, "xmp's render is missing or of another length");

        std::vector<double> order_lufs, order_peaks;
        for (int order = 0; order < Orders; ++order)
        {
            order_lufs.push_back(Integrated_Lufs(s, Row_Start(order, 0), Row_Start(order + 1, 0)));
            double p = 0;
            for (std::int64_t f = 2 * Row_Start(order, 0); f < 2 * Row_Start(order + 1, 0); ++f)
                p = std::max(p, double(std::fabs(s[std::size_t(f)])));
            order_peaks.push_back(p > 0 ? Db(p) : -INFINITY);
        }
        Print_Table(order_lufs, order_peaks);
        auto L = [&](int order) { return order_lufs[std::size_t(order)]; };

        // The arc: a build that stops short of the drop, and returns that lift.
        report.Check(
            L(10) >= std::max(L(8), L(9)) + 1.0,
            Format("the drop (order 10, %.1f) is 1 LU or more above the build (8: %.1f, 9: %.1f)", L(10), L(8), L(9)));
        report.Check(L(9) > L(8), Format("the build rises: order 8 %.1f, order 9 %.1f", L(8), L(9)));
        const double before_drop = *std::max_element(order_lufs.begin(), order_lufs.begin() + 10);
        report.Check(L(10) > before_drop,
                     Format("the drop is the loudest order so far: %.1f, orders 0-9 at most %.1f", L(10), before_drop));
        for (int order : {14, 22, 26})
            report.Check(L(order) >= L(order - 1) + 0.5,
                         Format("order %d lifts again: %.1f after %.1f", order, L(order), L(order - 1)));

        struct Section
        {
            const char* name;
            int first, last;
            bool exempt;
        };
        const Section sections[] = {{"intro 0-3", 0, 3, false},    {"groove 4-7", 4, 7, false},
                                    {"build 8-9", 8, 9, false},    {"tunnel 10-21", 10, 21, false},
                                    {"warp 22-29", 22, 29, false}, {"drums 30-32", 30, 32, false},
                                    {"outro 33-35", 33, 35, true}};
        std::vector<double> levels;
        double loudest = -1e9;
        for (const Section& sec : sections)
        {
            levels.push_back(Integrated_Lufs(s, Row_Start(sec.first, 0), Row_Start(sec.last + 1, 0)));
            if (!sec.exempt)
                loudest = std::max(loudest, levels.back());
        }
        for (std::size_t i = 0; i < levels.size(); ++i)
            report.Check(sections[i].exempt || levels[i] >= loudest - 6.0,
                         Format("loudness %-12s %6.1f LUFS (%+.1f against the loudest)%s", sections[i].name, levels[i],
                                levels[i] - loudest, sections[i].exempt ? " (fades out: not compared)" : ""));

        // The outro ends in silence; the last order is a silent tail.
        const double end_lufs = Window_Lufs(s, Row_Start(35, 60), Row_Start(36, 0));
        report.Check(end_lufs < -60, Format("outro fades out: last rows of order 35 at %.1f LUFS", end_lufs));

        const double whole = Side_Under_Mid(s, 0, Row_Start(Orders, 0));
        const double groove = Side_Under_Mid(s, Row_Start(4, 0), Row_Start(30, 0));
        report.Check(whole > -30, Format("stereo: side %.1f dB against mid over the song", whole));
        report.Check(groove >= -14, Format("stereo: side %.1f dB against mid over orders 4-29 (-14 or wider)", groove));
    }
}
