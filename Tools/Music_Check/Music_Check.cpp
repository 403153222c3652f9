// music_check: renders the show's module with libopenmpt (and with xmp) and
// checks what a listener would hear against the show's cue rows, since nobody
// can listen on the build machines.
//   music_check <module.xm> [--png spectrogram.png] [--wav render.wav]
// Prints every figure; exits 1 when a check fails.
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Tools/Composer/Synth.h"
#include "Tools/Module_Render/Module_Render.h"
#include "Tools/Music_Check/Onsets.h"

using namespace Ryx_Tools;

namespace
{
    constexpr int Rate = 44100;
    constexpr int Row_Frames = 3864;  // 6 ticks of floor(44100 * 2.5 / 171) frames
    constexpr int Orders = 37;
    constexpr int Rows = 64;

    int g_failures = 0;

    void Check(bool ok, const std::string& what)
    {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
        if (!ok)
            ++g_failures;
    }

    std::int64_t Row_Start(int order, int row) { return (std::int64_t(order) * Rows + row) * Row_Frames; }

    double Db(double v) { return 20.0 * std::log10(v + 1e-12); }

    struct Render
    {
        Rendered_Module module;
        std::vector<float> mono;
    };

    // Loudness of a span: mean square after a high-pass at 100 Hz and a lift
    // above 2 kHz, a rough stand-in for the usual loudness weighting.
    double Loudness_Db(const std::vector<float>& samples, std::int64_t from, std::int64_t to)
    {
        using Synth::Biquad;
        Biquad hp_l = Biquad::High_Pass(100, 0.7), hp_r = Biquad::High_Pass(100, 0.7);
        Biquad hi_l = Biquad::High_Pass(2000, 0.7), hi_r = Biquad::High_Pass(2000, 0.7);
        double sum = 0;
        for (std::int64_t f = from; f < to; ++f)
        {
            const double l = hp_l.Run(samples[std::size_t(2 * f)]);
            const double r = hp_r.Run(samples[std::size_t(2 * f + 1)]);
            const double wl = l + 0.6 * hi_l.Run(l), wr = r + 0.6 * hi_r.Run(r);
            sum += wl * wl + wr * wr;
        }
        return 10.0 * std::log10(sum / double(2 * (to - from)) + 1e-12);
    }

    // Every cue row must carry an onset in its band within one row.
    void Check_Cues(const Onset_Track& track, const std::string& what, int order, const std::vector<int>& rows)
    {
        std::string missed;
        double weakest = 1e9;
        for (int row : rows)
        {
            const std::int64_t at = Row_Start(order, row);
            const Onset_Track::Peak p = track.Strongest(at - Row_Frames, at + Row_Frames);
            weakest = std::min(weakest, p.rise_db);
            if (p.rise_db < 6.0 || p.level_db < -60.0)
                missed += " " + std::to_string(row);
        }
        char line[200];
        std::snprintf(line, sizeof line, "order %2d %-28s %2zu cues, weakest rise %5.1f dB%s%s", order, what.c_str(),
                      rows.size(), weakest, missed.empty() ? "" : ", missed rows", missed.c_str());
        Check(missed.empty(), line);
    }

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

    void Check_Score(const Render& r)
    {
        const Onset_Track low(r.mono, Band::Low), snare(r.mono, Band::Snare), clap(r.mono, Band::Clap),
            voice(r.mono, Band::Voice), mid(r.mono, Band::Upper_Mid), full(r.mono, Band::Full);

        Check_Cues(mid, "pulse every 4 rows", 0, Rows_Where([](int r) { return r % 4 == 0; }));
        Check_Cues(mid, "pulse every 2 rows", 1, Rows_Where([](int r) { return r % 2 == 0; }));
        for (int order = 4; order <= 7; ++order)
        {
            Check_Cues(low, "kick 0/10 mod 16", order,
                       Rows_Where([order](int r) { return (r % 16 == 0 || r % 16 == 10) && (order < 7 || r <= 58); }));
            Check_Cues(voice, "stab/shot hits", order,
                       order == 7 ? std::vector<int>{0, 10} : std::vector<int>{0, 10, 16, 26, 32, 42, 48, 58});
        }
        for (int order = 10; order <= 21; ++order)
        {
            const int from = order == 12 ? 27 : 0;
            Check_Cues(snare, "backbeat 3 mod 8", order, Rows_Where([from](int r) { return r >= from && r % 8 == 3; }));
            Check_Cues(mid, "accent 22 mod 32", order, Rows_Where([from](int r) { return r >= from && r % 32 == 22; }));
            if (order >= 14)
                Check_Cues(low, "kick 0/10 mod 16", order, Rows_Where([](int r) { return r % 16 == 0 || r % 16 == 10; }));
        }
        for (int order : {11, 13})
            Check_Cues(snare, "fill", order, {49, 51, 53, 55, 57});
        for (int order = 22; order <= 29; ++order)
            Check_Cues(clap, "pulse 3 mod 8", order, Rows_Where([](int r) { return r % 8 == 3; }));
        Check_Cues(full, "big hits", 22, {36, 45, 54});
        Check_Cues(full, "big hits", 23, {36, 44});
        Check_Cues(snare, "roll", 23, {60, 61, 62, 63});
        for (int order : {30, 31})
        {
            Check_Cues(low, "kick 0 10 16 23", order, Twice({0, 10, 16, 23}));
            Check_Cues(snare, "snare", order, Twice(order == 30 ? std::vector<int>{3, 13, 20, 26} : std::vector<int>{6, 13, 20, 26}));
            Check_Cues(voice, "shot one", order, Twice({7, 15, 19, 29}));
            Check_Cues(voice, "shot two", order, Twice({9, 31}));
        }
        Check_Cues(low, "stutter first", 32, {0, 17, 24, 29});
        Check_Cues(snare, "stutter second", 32, {4, 13, 18, 22, 27, 30});
        Check_Cues(voice, "stutter third", 32, {10, 14, 16, 19, 21, 25, 31});
        Check_Cues(clap, "stutter fourth", 32, {12, 15, 20, 23, 26, 28});

        // In the drum section only the kicks may start anything low.
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
                std::printf("     low onset off the kick rows at order %d row %d\n", int(row / Rows), int(row % Rows));
            }
        }
        Check(stray == 0, "orders 30-32: low onsets only on the kick rows");

        // The hole: order 2, rows 3-11.
        const std::int64_t from = Row_Start(2, 3) + 441, to = Row_Start(2, 12);
        double peak = 0, sum = 0;
        for (std::int64_t f = 2 * from; f < 2 * to; ++f)
        {
            peak = std::max(peak, double(std::fabs(r.module.samples[std::size_t(f)])));
            sum += double(r.module.samples[std::size_t(f)]) * r.module.samples[std::size_t(f)];
        }
        const double rms_db = 10 * std::log10(sum / double(2 * (to - from)) + 1e-12);
        char line[200];
        std::snprintf(line, sizeof line, "order 2 rows 3-11 silent: rms %.1f dBFS, peak %.1f dBFS", rms_db, Db(peak));
        Check(rms_db < -55 && Db(peak) < -40, line);
    }

    void Check_Levels(const Render& r)
    {
        double peak = 0;
        for (float v : r.module.samples)
            peak = std::max(peak, double(std::fabs(v)));
        char line[200];
        std::snprintf(line, sizeof line, "peak %.2f dBFS (at most -0.3)", Db(peak));
        Check(Db(peak) <= -0.3, line);

        struct Section { const char* name; int first, last; bool exempt; };
        const Section sections[] = {{"intro 0-3", 0, 3, false},  {"groove 4-7", 4, 7, false},
                                    {"build 8-9", 8, 9, false},  {"tunnel 10-21", 10, 21, false},
                                    {"warp 22-29", 22, 29, false}, {"drums 30-32", 30, 32, false},
                                    {"outro 33-35", 33, 35, true}};
        double loudest = -1e9;
        std::vector<double> levels;
        for (const Section& s : sections)
        {
            // The hole of order 2 is left out of the intro's figure.
            double sum = 0, frames = 0;
            for (int order = s.first; order <= s.last; ++order)
            {
                std::vector<std::pair<int, int>> spans{{0, 64}};
                if (order == 2)
                    spans = {{0, 3}, {12, 64}};
                for (auto [a, b] : spans)
                {
                    const double db = Loudness_Db(r.module.samples, Row_Start(order, a), Row_Start(order, b));
                    const double n = double(b - a);
                    sum += std::pow(10.0, db / 10) * n;
                    frames += n;
                }
            }
            levels.push_back(10 * std::log10(sum / frames));
            if (!s.exempt)
                loudest = std::max(loudest, levels.back());
        }
        for (std::size_t i = 0; i < levels.size(); ++i)
        {
            std::snprintf(line, sizeof line, "loudness %-12s %6.1f dB (%+.1f against the loudest)%s", sections[i].name,
                          levels[i], levels[i] - loudest, sections[i].exempt ? " (fades out: not compared)" : "");
            Check(sections[i].exempt || levels[i] >= loudest - 6.0, line);
        }
        std::printf("     per order:");
        for (int order = 0; order < 36; ++order)
            std::printf("%s%5.1f", order % 12 ? " " : "\n     ", Loudness_Db(r.module.samples, Row_Start(order, 0), Row_Start(order + 1, 0)));
        std::printf("\n");

        // The outro ends in silence; the last order is a silent tail.
        const double end_db = Loudness_Db(r.module.samples, Row_Start(35, 60), Row_Start(36, 0));
        std::snprintf(line, sizeof line, "outro fades out: last rows of order 35 at %.1f dB", end_db);
        Check(end_db < -60, line);

        double mid = 0, side = 0;
        for (std::size_t f = 0; f + 1 < r.module.samples.size(); f += 2)
        {
            const double l = r.module.samples[f], rr = r.module.samples[f + 1];
            mid += (l + rr) * (l + rr);
            side += (l - rr) * (l - rr);
        }
        std::snprintf(line, sizeof line, "stereo: side %.1f dB against mid", 10 * std::log10(side / mid));
        Check(10 * std::log10(side / mid) > -30, line);
    }

    void Write_Wav(const std::string& path, const std::vector<float>& samples)
    {
        std::ofstream f(path, std::ios::binary);
        auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
        const std::uint32_t bytes = std::uint32_t(samples.size() * 2);
        f.write("RIFF", 4); u32(36 + bytes); f.write("WAVEfmt ", 8);
        u32(16); u16(1); u16(2); u32(Rate); u32(Rate * 4); u16(4); u16(16);
        f.write("data", 4); u32(bytes);
        for (float v : samples)
        {
            const auto s = std::int16_t(std::lround(std::max(-1.0f, std::min(1.0f, v)) * 32767.0f));
            u16(std::uint16_t(s));
        }
    }
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: music_check <module.xm> [--png spectrogram.png] [--wav render.wav]\n");
        return 2;
    }
    const std::string path = argv[1];
    std::string png, wav;
    for (int i = 2; i + 1 < argc; i += 2)
    {
        if (std::string(argv[i]) == "--png") png = argv[i + 1];
        if (std::string(argv[i]) == "--wav") wav = argv[i + 1];
    }
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::printf("     %s: %zu bytes\n", path.c_str(), bytes.size());

    Render r;
    r.module = Render_Module(bytes, Rate, 92);  // 92 frames divide the 644-frame tick
    Check(r.module.loaded, "libopenmpt loads it");
    if (!r.module.loaded)
        return 1;
    Check(r.module.log.empty(), "libopenmpt says nothing while loading and playing" +
                                    (r.module.log.empty() ? std::string() : ": " + r.module.log));
    Check(r.module.orders >= Orders, "at least 37 orders: " + std::to_string(r.module.orders));

    // Every row of every order in turn, each exactly one row long.
    bool rows_ok = r.module.rows.size() == std::size_t(Orders * Rows);
    for (std::size_t i = 0; rows_ok && i < r.module.rows.size(); ++i)
    {
        const Row_Mark& m = r.module.rows[i];
        rows_ok = m.frame == std::int64_t(i) * Row_Frames && m.order == int(i) / Rows && m.row == int(i) % Rows;
    }
    Check(rows_ok, "orders 0-36 play 64 rows each, 3864 frames a row");
    char line[200];
    std::snprintf(line, sizeof line, "libopenmpt renders %lld frames (%.3f s); orders 0-35 last %.3f s",
                  (long long)r.module.Frames(), r.module.Frames() / double(Rate), Row_Start(36, 0) / double(Rate));
    Check(r.module.Frames() == Row_Start(Orders, 0), line);

    const Xmp_Result x = Render_With_Xmp(path, path);
    const bool quiet = x.messages.find("arn") == std::string::npos && x.messages.find("rror") == std::string::npos;
    std::snprintf(line, sizeof line, "xmp renders %lld frames, the same, without warnings", (long long)x.frames);
    Check(x.ran && x.exit_code == 0 && quiet && x.frames == r.module.Frames(), line);
    if (!quiet)
        std::printf("%s", x.messages.c_str());

    r.mono.resize(r.module.samples.size() / 2);
    for (std::size_t f = 0; f < r.mono.size(); ++f)
        r.mono[f] = 0.5f * (r.module.samples[2 * f] + r.module.samples[2 * f + 1]);
    if (const char* probe = std::getenv("MUSIC_CHECK_PROBE"))  // "order": rise per row in every band
    {
        const int order = std::atoi(probe);
        const char* names[] = {"low", "snare", "clap", "voice", "upper", "full"};
        for (int b = 0; b < 6; ++b)
        {
            const Onset_Track t(r.mono, Band(b));
            std::printf("%-6s", names[b]);
            for (int row = 0; row < Rows; ++row)
                std::printf(" %3.0f", t.Strongest(Row_Start(order, row) - 441, Row_Start(order, row) + 441).rise_db);
            std::printf("\n");
        }
        return 0;
    }
    Check_Levels(r);
    Check_Score(r);

    if (!png.empty() || !wav.empty())
    {
        const std::string wav_path = wav.empty() ? png + ".wav" : wav;
        Write_Wav(wav_path, r.module.samples);
        if (!png.empty())
        {
            const std::string command = "sox '" + wav_path + "' -n remix 1-2 spectrogram -X 12 -y 513 -z 90 -t 'tekno.xm' -o '" + png + "'";
            Check(std::system(command.c_str()) == 0, "spectrogram written to " + png);
        }
        if (wav.empty())
            std::remove(wav_path.c_str());
    }
    std::printf("%s: %d failed\n", g_failures ? "FAILED" : "passed", g_failures);
    return g_failures ? 1 : 0;
}
