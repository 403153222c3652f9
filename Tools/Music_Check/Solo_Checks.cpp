// Each part of the mix rendered alone through the groove (orders 4-7): how
// loud it is, where its energy lies, how wide it is; then the targets a
// producer would set for the drums and the low end.
#include <algorithm>
#include <cmath>
#include <string>

#include "Tools/Composer/Score_Parts.h"
#include "Tools/Music_Check/Loudness.h"
#include "Tools/Music_Check/Song.h"
#include "Tools/Music_Check/Power_Spectrum.h"

namespace Ryx_Tools
{
    using namespace Score_Parts;

    namespace
    {
        // The parts of the mix, each on its channels (the kick and snare play on two).
        struct Part
        {
            const char* name;
            std::vector<int> channels;
        };
        const std::vector<Part>& Parts()
        {
            static const std::vector<Part> parts{{"kick", {Ch_Kick, Ch_Kick2}},
                                                 {"snare", {Ch_Snare, Ch_Snare2}},
                                                 {"clap", {Ch_Clap}},
                                                 {"closed hat", {Ch_Hat}},
                                                 {"open hat", {Ch_Open}},
                                                 {"bass", {Ch_Bass}},
                                                 {"stab", {Ch_Stab}},
                                                 {"pad, left", {Ch_Pad1, Ch_Pad2, Ch_Pad3}},
                                                 {"pad, right", {Ch_Pad4, Ch_Pad5, Ch_Pad6}},
                                                 {"crash/sweep", {Ch_Fx}},
                                                 {"shot ah", {Ch_Shot}},
                                                 {"shot oh", {Ch_Shot2}},
                                                 {"pluck", {Ch_Pulse}},
                                                 {"glitch", {Ch_Glitch}},
                                                 {"echo", {Ch_Echo}},
                                                 {"lead", {Ch_Lead}},
                                                 {"lead echo", {Ch_Lead_Echo}}};
            return parts;
        }

        std::vector<float> Mono(const std::vector<float>& stereo)
        {
            std::vector<float> m(stereo.size() / 2);
            for (std::size_t f = 0; f < m.size(); ++f)
                m[f] = 0.5f * (stereo[2 * f] + stereo[2 * f + 1]);
            return m;
        }

        double Rms_Db(const std::vector<float>& mono, std::int64_t from, std::int64_t to)
        {
            double sum = 0;
            for (std::int64_t f = from; f < to; ++f)
                sum += double(mono[std::size_t(f)]) * mono[std::size_t(f)];
            return 10 * std::log10(sum / double(std::max<std::int64_t>(1, to - from)) + 1e-15);
        }

        double Median(std::vector<double> v)
        {
            if (v.empty())
                return 0;
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        }

        struct Solo
        {
            double lufs = -1e9, energy = 0, side_db = -1e9;
            double centroid = 0, below_200 = 0, mids = 0, body = 0, air = 0,
                   top = 0;  // mids 200-2k, body 2-5k, air 5-12k
        };

        // Rows of orders 4-7 where the groove's kick plays (0 and 10 of each bar, to row 58 of order 7).
        std::vector<std::int64_t> Kick_Frames()
        {
            std::vector<std::int64_t> frames;
            for (int order = 4; order <= 7; ++order)
                for (int row = 0; row < Rows; ++row)
                    if ((row % 16 == 0 || row % 16 == 10) && (order < 7 || row <= 58))
                        frames.push_back(Row_Start(order, row));
            return frames;
        }
    }

    void Check_Solos(const Song& song, Report& report)
    {
        if (song.module.channels < Channel_Count)
        {
            std::printf("     %d channels: not the composer's layout, no solo table\n", song.module.channels);
            return;
        }
        const std::vector<Part>& parts = Parts();
        const std::int64_t from = Row_Start(4, 0), to = Row_Start(8, 0);
        std::vector<Solo> solos(parts.size());
        std::vector<std::vector<float>> mono(parts.size());
        double total = 0;
        for (std::size_t i = 0; i < parts.size(); ++i)
        {
            const std::vector<float> stereo = Render_Solo(song.bytes, parts[i].channels, to);
            if (std::int64_t(stereo.size()) < 2 * to)
                continue;
            Solo& s = solos[i];
            mono[i] = Mono(stereo);
            double mid = 0, side = 0;
            for (std::int64_t f = from; f < to; ++f)
            {
                const double l = stereo[std::size_t(2 * f)], r = stereo[std::size_t(2 * f + 1)];
                s.energy += l * l + r * r;
                mid += (l + r) * (l + r);
                side += (l - r) * (l - r);
            }
            if (s.energy <= 1e-9)
                continue;
            total += s.energy;
            s.side_db = 10 * std::log10((side + 1e-15) / (mid + 1e-15));
            s.lufs = Integrated_Lufs(stereo, from, to);
            const Power_Spectrum spectrum(mono[i], from, to);
            s.centroid = spectrum.Centroid();
            s.below_200 = spectrum.Share(0, 200);
            s.mids = spectrum.Share(200, 2000);
            s.body = spectrum.Share(2000, 5000);
            s.air = spectrum.Share(5000, 12000);
            s.top = spectrum.Share(12000, 30000);
        }

        std::printf("     each part alone, orders 4-7 (libopenmpt):\n");
        std::printf("     %-12s %6s %6s %8s %6s %7s %6s %7s %6s %8s\n", "part", "LUFS", "share", "centroid", "<200",
                    "200-2k", "2-5k", "5-12k", ">12k", "side/mid");
        for (std::size_t i = 0; i < parts.size(); ++i)
        {
            const Solo& s = solos[i];
            if (s.energy <= 1e-9)
                continue;
            std::printf("     %-12s %6.1f %5.1f%% %6.0f Hz %5.0f%% %6.0f%% %5.0f%% %6.0f%% %5.0f%% %5.1f dB\n",
                        parts[i].name, s.lufs, 100 * s.energy / total, s.centroid, 100 * s.below_200, 100 * s.mids,
                        100 * s.body, 100 * s.air, 100 * s.top, s.side_db);
        }
        const Solo &kick = solos[0], &snare = solos[1], &hat = solos[3], &bass = solos[5];

        report.Check(std::fabs(snare.lufs - kick.lufs) <= 3.0,
                     Format("snare %.1f LUFS within 3 LU of the kick %.1f", snare.lufs, kick.lufs));
        report.Check(snare.body >= 0.25,
                     Format("snare body: %.0f%% of its energy at 2-5 kHz (25%% or more)", 100 * snare.body));
        report.Check(hat.centroid >= 6000 && hat.centroid <= 10000,
                     Format("closed hat centroid %.0f Hz (6-10 kHz)", hat.centroid));
        report.Check(hat.lufs >= kick.lufs - 12,
                     Format("closed hat %.1f LUFS, heard: within 12 LU of the kick", hat.lufs));
        report.Check(
            kick.body + kick.air >= 0.005,
            Format("kick click: %.1f%% of its energy at 2-12 kHz (0.5%% or more)", 100 * (kick.body + kick.air)));
        report.Check(bass.mids >= 0.12,
                     Format("bass heard on small speakers: %.0f%% of its energy at 200 Hz-2 kHz (12%% or more)",
                            100 * bass.mids));
        for (std::size_t i : {0, 1, 5})
            report.Check(solos[i].side_db <= -30,
                         Format("%s centred: side %.1f dB under mid", parts[i].name, solos[i].side_db));

        // The kick's tail against A1 (55 Hz), and the bass giving way to it.
        std::vector<double> tails, dips;
        for (std::int64_t k : Kick_Frames())
        {
            tails.push_back(Peak_Frequency(mono[0], k + Rate * 15 / 100, k + Rate * 35 / 100, 40, 75));
            dips.push_back(Rms_Db(mono[5], k + Rate * 6 / 100, k + Rate * 11 / 100) -
                           Rms_Db(mono[5], k, k + Rate * 25 / 1000));
        }
        const double tail = Median(tails), cents = 1200 * std::log2(tail / 55.0);
        report.Check(std::fabs(cents) <= 50,
                     Format("kick tail at %.1f Hz, %+.0f cents from A1 (within 50)", tail, cents));
        report.Check(
            Median(dips) >= 6,
            Format("bass ducks under the kick: %.1f dB lower in the kick's first 25 ms (6 or more)", Median(dips)));

        // The bass's level from order to order where the arrangement keeps it.
        const std::vector<float> bass_song = Render_Solo(song.bytes, parts[5].channels, Row_Start(30, 0));
        std::vector<double> levels;
        std::printf("     bass alone per order 13-21 (LUFS):");
        for (int order = 13; order <= 21; ++order)
        {
            levels.push_back(Integrated_Lufs(bass_song, Row_Start(order, 0), Row_Start(order + 1, 0)));
            std::printf(" %.1f", levels.back());
        }
        std::printf("\n");
        const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
        report.Check(*high - *low <= 3.0,
                     Format("bass level steady through orders 13-21: %.1f LU from quietest to loudest", *high - *low));
    }
}
