// music_check: renders the show's module with libopenmpt and with xmp and
// checks what a listener would hear, since nobody can listen on the build
// machines: timing, loudness and peak, the balance of each part, the cue rows.
//   music_check <module.xm> [--png spectrogram.png] [--wav render.wav]
// --png also writes close-ups of the drop (<name>-drop.png) and of the groove
// (<name>-groove.png). Prints every figure; exits 1 when a check fails.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "Tools/Music_Check/Onsets.h"
#include "Tools/Music_Check/Song.h"
#include "Tools/Wav_File/Wav_File.h"

using namespace Ryx_Tools;

namespace
{
    // The render as 16-bit samples, for sox and for a person to listen to.
    bool Write_Wav(const std::string& path, const std::vector<float>& samples)
    {
        std::vector<std::int16_t> pcm(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            pcm[i] = std::int16_t(std::lround(std::max(-1.0f, std::min(1.0f, samples[i])) * 32767.0f));
        return Save_Wav(path, pcm, Rate, 2);
    }

    // sox draws the spectrogram of a span (seconds) of the WAV file.
    bool Spectrogram(const std::string& wav, const std::string& png, const std::string& title, double start = 0,
                     double seconds = 0)
    {
        std::string command = "sox '" + wav + "' -n ";
        if (seconds > 0)
            command += Format("trim %.3f %.3f ", start, seconds);
        command += "remix 1-2 spectrogram " + std::string(seconds > 0 ? "-x 1200 " : "-X 12 ") + "-y 513 -z 90 -t '" +
            title + "' -o '" + png + "'";
        return std::system(command.c_str()) == 0;
    }

    void Check_Timing(const Song& song, const Xmp_Result& x, Report& report)
    {
        const Rendered_Module& r = song.module;
        report.Check(r.log.empty(),
                     "libopenmpt says nothing while loading and playing" +
                         (r.log.empty() ? std::string() : ": " + r.log));
        report.Check(r.orders >= Orders, "at least 37 orders: " + std::to_string(r.orders));
        // Every row of every order in turn, each exactly one row long.
        bool rows_ok = r.rows.size() == std::size_t(Orders * Rows);
        for (std::size_t i = 0; rows_ok && i < r.rows.size(); ++i)
        {
            const Row_Mark& m = r.rows[i];
            rows_ok = m.frame == std::int64_t(i) * Row_Frames && m.order == int(i) / Rows && m.row == int(i) % Rows;
        }
        report.Check(rows_ok, "orders 0-36 play 64 rows each, 3864 frames a row");
        report.Check(r.Frames() == Row_Start(Orders, 0),
                     Format("libopenmpt renders %lld frames (%.3f s); orders 0-35 last %.3f s", (long long)r.Frames(),
                            r.Frames() / double(Rate), Row_Start(36, 0) / double(Rate)));
        const bool quiet = x.messages.find("arn") == std::string::npos && x.messages.find("rror") == std::string::npos;
        report.Check(x.ran && x.exit_code == 0 && quiet && x.frames == r.Frames(),
                     Format("xmp renders %lld frames, the same, without warnings", (long long)x.frames));
        if (!quiet)
            std::printf("%s", x.messages.c_str());
    }

    // MUSIC_CHECK_PROBE=order: the rise at every row of that order in every band.
    void Probe(const Song& song, int order)
    {
        const char* names[] = {"low", "snare", "clap", "voice", "upper", "full", "hat"};
        for (int b = 0; b < 7; ++b)
        {
            const Onset_Track t(song.mono, Band(b));
            std::printf("%-6s", names[b]);
            for (int row = 0; row < Rows; ++row)
                std::printf(" %3.0f",
                            t.Strongest(Row_Start(order, row) - Rate / 100, Row_Start(order, row) + Rate / 25).rise_db);
            std::printf("\n");
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
        if (std::string(argv[i]) == "--png")
            png = argv[i + 1];
        if (std::string(argv[i]) == "--wav")
            wav = argv[i + 1];
    }
    Report report;
    Song song;
    std::ifstream file(path, std::ios::binary);
    song.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    std::printf("     %s: %zu bytes\n", path.c_str(), song.bytes.size());

    song.module = Render_Module(song.bytes, Rate, 92);  // 92 frames divide the 644-frame tick
    report.Check(song.module.loaded, "libopenmpt loads it");
    if (!song.module.loaded)
        return 1;
    song.mono.resize(song.module.samples.size() / 2);
    for (std::size_t f = 0; f < song.mono.size(); ++f)
        song.mono[f] = 0.5f * (song.module.samples[2 * f] + song.module.samples[2 * f + 1]);
    if (const char* probe = std::getenv("MUSIC_CHECK_PROBE"))
    {
        Probe(song, std::atoi(probe));
        return 0;
    }

    Xmp_Result x = Render_With_Xmp(path, path);
    song.xmp = std::move(x.samples);
    Check_Timing(song, x, report);
    Check_Levels(song, report);
    Check_Solos(song, report);
    Check_Cues(song, report);
    Check_Writing(song, report);

    if (!png.empty() || !wav.empty())
    {
        const std::string wav_path = wav.empty() ? png + ".wav" : wav;
        if (!Write_Wav(wav_path, song.module.samples))
            report.Check(false, "cannot write " + wav_path);
        if (!png.empty())
        {
            const std::string stem =
                png.size() > 4 && png.compare(png.size() - 4, 4, ".png") == 0 ? png.substr(0, png.size() - 4) : png;
            const double row = double(Row_Frames) / Rate;
            report.Check(
                Spectrogram(wav_path, png, "tekno.xm") &&
                    Spectrogram(wav_path, stem + "-drop.png", "the drop: order 9 row 32 to order 10 row 64",
                                (9 * Rows + 32) * row, 96 * row) &&
                    Spectrogram(wav_path, stem + "-groove.png", "the groove: order 14", 14 * Rows * row, 64 * row),
                "spectrograms written to " + png + ", " + stem + "-drop.png and " + stem + "-groove.png");
        }
        if (wav.empty())
            std::remove(wav_path.c_str());
    }
    std::printf("%s: %d failed\n", report.Failures() ? "FAILED" : "passed", report.Failures());
    return report.Failures() ? 1 : 0;
}
