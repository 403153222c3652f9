// The show's cues heard in the render: every cue row must start a sound that
// rises in its band right at the row (from 10 ms before to 40 ms after its
// first frame), so a flash never lands on a sound a row away. Then the
// groove's backbeat, the drum section's flashes, and the silences.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "Tools/Music_Check/Onsets.h"
#include "Tools/Music_Check/Song.h"

namespace Ryx_Tools
{
    namespace
    {
        double Db(double v) { return 20.0 * std::log10(v + 1e-12); }

        std::vector<int> Rows_Where(const std::function<bool(int)>& keep)
        {
            std::vector<int> rows;
            for (int r = 0; r < Rows; ++r)
                if (keep(r))
                    rows.push_back(r);
            return rows;
        }

        std::vector<int> Twice(std::vector<int> in_32)
        {
            const std::size_t n = in_32.size();
            for (std::size_t i = 0; i < n; ++i)
                in_32.push_back(in_32[i] + 32);
            return in_32;
        }

        struct Cues
        {
            Report& report;

            // Every row must carry an onset in its band that rises 6 dB or more.
            void Check(const Onset_Track& track, const std::string& what, int order, const std::vector<int>& rows)
            {
                std::string missed;
                double weakest = 1e9;
                for (int row : rows)
                {
                    const std::int64_t at = Row_Start(order, row);
                    const Onset_Track::Peak p = track.Strongest(at - Rate / 100, at + Rate / 25);
                    weakest = std::min(weakest, p.rise_db);
                    if (p.rise_db < 6.0 || p.level_db < -60.0)
                        missed += " " + std::to_string(row);
                }
                report.Check(missed.empty(),
                             Format("order %2d %-28s %2zu cues, weakest rise %5.1f dB%s%s", order, what.c_str(),
                                    rows.size(), weakest, missed.empty() ? "" : ", missed rows", missed.c_str()));
            }
        };

        void Check_Hole(const Song& song, Report& report)
        {
            const std::vector<float>& s = song.module.samples;
            const std::int64_t from = Row_Start(2, 3) + 441, to = Row_Start(2, 12);
            double peak = 0, sum = 0;
            for (std::int64_t f = 2 * from; f < 2 * to; ++f)
            {
                peak = std::max(peak, double(std::fabs(s[std::size_t(f)])));
                sum += double(s[std::size_t(f)]) * s[std::size_t(f)];
            }
            const double rms_db = 10 * std::log10(sum / double(2 * (to - from)) + 1e-12);
            report.Check(rms_db < -55 && Db(peak) < -40,
                         Format("order 2 rows 3-11 silent: rms %.1f dBFS, peak %.1f dBFS", rms_db, Db(peak)));
        }

        // In the drum section only the kicks may start anything low.
        void Check_Low_Only_On_Kicks(const Onset_Track& low, Report& report)
        {
            std::vector<int> kick_rows;
            for (int order : {30, 31})
                for (int r : Twice({0, 10, 16, 23}))
                    kick_rows.push_back(order * Rows + r);
            for (int r : {0, 17, 24, 29})
                kick_rows.push_back(32 * Rows + r);
            int stray = 0;
            for (std::int64_t frame : low.Onsets(9.0, -40.0))
            {
                const std::int64_t row = frame / Row_Frames;
                if (row < 30 * Rows || row >= 32 * Rows + 32)
                    continue;
                bool near = false;
                for (int k : kick_rows)
                    near = near || std::llabs(row - k) <= 1;
                if (!near)
                {
                    ++stray;
                    std::printf("     low onset off the kick rows at order %d row %d\n", int(row / Rows),
                                int(row % Rows));
                }
            }
            report.Check(stray == 0, "orders 30-32: low onsets only on the kick rows");
        }
    }

    void Check_Cues(const Song& song, Report& report)
    {
        const std::vector<float>& m = song.mono;
        const Onset_Track low(m, Band::Low), snare(m, Band::Snare), clap(m, Band::Clap), voice(m, Band::Voice),
            mid(m, Band::Upper_Mid), hat(m, Band::Hat), full(m, Band::Full);
        Cues cues{report};

        cues.Check(mid, "pulse every 4 rows", 0, Rows_Where([](int r) { return r % 4 == 0; }));
        cues.Check(mid, "pulse every 2 rows", 1, Rows_Where([](int r) { return r % 2 == 0; }));
        for (int order = 4; order <= 7; ++order)
        {
            cues.Check(low, "kick 0/10 mod 16", order,
                       Rows_Where([order](int r) { return (r % 16 == 0 || r % 16 == 10) && (order < 7 || r <= 58); }));
            // Heard by their attacks at 1-2 kHz: below that the pad holds the chord.
            cues.Check(clap, "stab/shot hits", order,
                       order == 7 ? std::vector<int>{0, 10} : std::vector<int>{0, 10, 16, 26, 32, 42, 48, 58});
        }
        for (int order = 10; order <= 21; ++order)
        {
            const int from = order == 12 ? 27 : 0;
            cues.Check(snare, "backbeat 3 mod 8", order, Rows_Where([from](int r) { return r >= from && r % 8 == 3; }));
            cues.Check(mid, "accent 22 mod 32", order, Rows_Where([from](int r) { return r >= from && r % 32 == 22; }));
            if (order >= 14)
                cues.Check(low, "kick 0/10 mod 16", order,
                           Rows_Where([](int r) { return r % 16 == 0 || r % 16 == 10; }));
        }
        for (int order : {11, 13})
            cues.Check(snare, "fill", order, {49, 51, 53, 55, 57});
        for (int order = 22; order <= 29; ++order)
            cues.Check(clap, "pulse 3 mod 8", order, Rows_Where([](int r) { return r % 8 == 3; }));
        cues.Check(full, "big hits", 22, {36, 45, 54});
        cues.Check(full, "big hits", 23, {36, 44});
        cues.Check(snare, "roll", 23, {60, 61, 62, 63});
        for (int order : {30, 31})
        {
            cues.Check(low, "kick 0 10 16 23", order, Twice({0, 10, 16, 23}));
            cues.Check(snare, "snare", order,
                       Twice(order == 30 ? std::vector<int>{3, 13, 20, 26} : std::vector<int>{6, 13, 20, 26}));
            cues.Check(voice, "shot one", order, Twice({7, 15, 19, 29}));
            cues.Check(voice, "shot two", order, Twice({9, 31}));
        }
        cues.Check(low, "stutter first", 32, {0, 17, 24, 29});
        cues.Check(snare, "stutter second", 32, {4, 13, 18, 22, 27, 30});
        cues.Check(voice, "stutter third", 32, {10, 14, 16, 19, 21, 25, 31});
        cues.Check(clap, "stutter fourth", 32, {12, 15, 20, 23, 26, 28});

        // The groove's backbeat: a snare or clap on beats two and four (rows 4
        // and 12 of each bar) in orders 10-29, where the drums play; the
        // fills of orders 11 and 13 take the place of row 52, the big hits of
        // orders 22 and 23 that of rows 36 and 44.
        for (int order = 10; order <= 29; ++order)
            cues.Check(snare, "backbeat 4 mod 8", order, Rows_Where([order](int r) {
                           const bool fill = (order == 11 || order == 13) && r == 52;
                           const bool hit = (order == 22 || order == 23) && (r == 36 || r == 44);
                           return r % 8 == 4 && !(order == 12 && r < 27) && !fill && !hit;
                       }));
        // The closing scene flashes on every even row: each has a sound of its own.
        for (int order = 30; order <= 35; ++order)
            cues.Check(hat, "even-row flashes", order, Rows_Where([](int r) { return r % 2 == 0; }));

        Check_Low_Only_On_Kicks(low, report);
        Check_Hole(song, report);
    }
}
