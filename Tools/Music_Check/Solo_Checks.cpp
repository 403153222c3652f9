// Each channel rendered alone through the groove (orders 4-7): how loud it is,
// where its energy lies, how wide it is; then the targets a producer would set
// for the drums and the low end.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "Tools/Composer/Score_Parts.h"
#include "Tools/Music_Check/Loudness.h"
#include "Tools/Music_Check/Song.h"
#include "Tools/Music_Check/Spectrum.h"

namespace Ryx_Tools
{
    using namespace Score_Parts;

    namespace
    {
        const char* Channel_Name(int ch)
        {
            static const std::map<int, const char*> names{
                {Ch_Kick, "kick"},   {Ch_Snare, "snare"},  {Ch_Clap, "clap"},     {Ch_Hat, "closed hat"},
                {Ch_Open, "open hat"}, {Ch_Bass, "bass"},  {Ch_Stab, "stab"},     {Ch_Pad1, "pad 1"},
                {Ch_Pad2, "pad 2"},  {Ch_Pad3, "pad 3"},   {Ch_Fx, "crash/sweep"}, {Ch_Shot, "shot ah"},
                {Ch_Shot2, "shot oh"}, {Ch_Pulse, "pluck"}, {Ch_Glitch, "glitch"}, {Ch_Echo, "echo"},
                {Ch_Pad4, "pad 4"},  {Ch_Pad5, "pad 5"},   {Ch_Pad6, "pad 6"},    {Ch_Lead, "lead"},
                {Ch_Lead_Echo, "lead echo"}};
            const auto it = names.find(ch);
            return it == names.end() ? "?" : it->second;
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
            double centroid = 0, below_200 = 0, mids = 0, body = 0, air = 0, top = 0;  // mids 200-2k, body 2-5k, air 5-12k
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
        const int channels = song.module.channels;
        const std::int64_t from = Row_Start(4, 0), to = Row_Start(8, 0);
        std::vector<Solo> solos(static_cast<std::size_t>(channels));
        std::vector<std::vector<float>> mono(static_cast<std::size_t>(channels));
        double total = 0;
        for (int ch = 0; ch < channels; ++ch)
        {
            const std::vector<float> stereo = Render_Solo(song.bytes, ch, to);
            if (std::int64_t(stereo.size()) < 2 * to)
                continue;
            Solo& s = solos[std::size_t(ch)];
            mono[std::size_t(ch)] = Mono(stereo);
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
            const Spectrum spectrum(mono[std::size_t(ch)], from, to);
            s.centroid = spectrum.Centroid();
            s.below_200 = spectrum.Share(0, 200);
            s.mids = spectrum.Share(200, 2000);
            s.body = spectrum.Share(2000, 5000);
            s.air = spectrum.Share(5000, 12000);
            s.top = spectrum.Share(12000, 30000);
        }

        std::printf("     each channel alone, orders 4-7 (libopenmpt):\n");
        std::printf("     %-12s %6s %6s %8s %6s %7s %6s %7s %6s %8s\n", "channel", "LUFS", "share", "centroid", "<200",
                    "200-2k", "2-5k", "5-12k", ">12k", "side/mid");
        for (int ch = 0; ch < channels; ++ch)
        {
            const Solo& s = solos[std::size_t(ch)];
            if (s.energy <= 1e-9)
                continue;
            std::printf("     %-12s %6.1f %5.1f%% %6.0f Hz %5.0f%% %6.0f%% %5.0f%% %6.0f%% %5.0f%% %5.1f dB\n",
                        Channel_Name(ch), s.lufs, 100 * s.energy / total, s.centroid, 100 * s.below_200, 100 * s.mids,
                        100 * s.body, 100 * s.air, 100 * s.top, s.side_db);
        }
        if (channels <= Ch_Bass)
            return;
        const Solo &kick = solos[Ch_Kick], &snare = solos[Ch_Snare], &hat = solos[Ch_Hat], &bass = solos[Ch_Bass];

        report.Check(std::fabs(snare.lufs - kick.lufs) <= 3.0,
                     Format("snare %.1f LUFS within 3 LU of the kick %.1f", snare.lufs, kick.lufs));
        report.Check(snare.body >= 0.25, Format("snare body: %.0f%% of its energy at 2-5 kHz (25%% or more)", 100 * snare.body));
        report.Check(hat.centroid >= 6000 && hat.centroid <= 10000,
                     Format("closed hat centroid %.0f Hz (6-10 kHz)", hat.centroid));
        report.Check(hat.lufs >= kick.lufs - 12, Format("closed hat %.1f LUFS, heard: within 12 LU of the kick", hat.lufs));
        report.Check(kick.body + kick.air >= 0.005,
                     Format("kick click: %.1f%% of its energy at 2-12 kHz (0.5%% or more)", 100 * (kick.body + kick.air)));
        report.Check(bass.mids >= 0.12,
                     Format("bass heard on small speakers: %.0f%% of its energy at 200 Hz-2 kHz (12%% or more)", 100 * bass.mids));
        for (int ch : {Ch_Kick, Ch_Snare, Ch_Bass})
            report.Check(solos[std::size_t(ch)].side_db <= -30,
                         Format("%s centred: side %.1f dB under mid", Channel_Name(ch), solos[std::size_t(ch)].side_db));

        // The kick's tail against A1 (55 Hz), and the bass giving way to it.
        std::vector<double> tails, dips;
        for (std::int64_t k : Kick_Frames())
        {
            tails.push_back(Peak_Frequency(mono[Ch_Kick], k + Rate * 15 / 100, k + Rate * 35 / 100, 40, 75));
            dips.push_back(Rms_Db(mono[Ch_Bass], k + Rate * 6 / 100, k + Rate * 11 / 100) -
                           Rms_Db(mono[Ch_Bass], k, k + Rate * 25 / 1000));
        }
        const double tail = Median(tails), cents = 1200 * std::log2(tail / 55.0);
        report.Check(std::fabs(cents) <= 50, Format("kick tail at %.1f Hz, %+.0f cents from A1 (within 50)", tail, cents));
        report.Check(Median(dips) >= 6,
                     Format("bass ducks under the kick: %.1f dB lower in the kick's first 25 ms (6 or more)", Median(dips)));

        // The bass's level from order to order where the arrangement keeps it.
        const std::vector<float> bass_song = Render_Solo(song.bytes, Ch_Bass, Row_Start(30, 0));
        std::vector<double> levels;
        std::printf("     bass alone per order 13-21 (LUFS):");
        for (int order = 13; order <= 21; ++order)
        {
            levels.push_back(Integrated_Lufs(bass_song, Row_Start(order, 0), Row_Start(order + 1, 0)));
            std::printf(" %.1f", levels.back());
        }
        std::printf("\n");
        const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
        report.Check(*high - *low <= 3.0, Format("bass level steady through orders 13-21: %.1f LU from quietest to loudest",
                                                 *high - *low));
    }
}
