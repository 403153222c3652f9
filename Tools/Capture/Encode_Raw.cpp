// The encoder alone: encodes raw frames (and a WAV file) captured earlier
// with the same settings as the capture, and says how long that took. The
// capture's own time is compared with this to see that rendering runs beside
// encoding, not in front of it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Tools/Capture/Mp4_Writer.h"

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf(stderr, "usage: encode_raw FRAMES.raw SOUND.wav OUT.mp4 [fps]\n");
        return 2;
    }
    Ryx_Capture::Mp4_Settings settings;
    settings.fps = argc > 4 ? std::atoi(argv[4]) : 60;
    std::FILE* frames = std::fopen(argv[1], "rb");
    std::FILE* sound = std::fopen(argv[2], "rb");
    if (!frames || !sound || std::fseek(sound, 44, SEEK_SET) != 0)
    {
        std::fprintf(stderr, "encode_raw: cannot read the inputs\n");
        return 1;
    }
    std::vector<std::uint32_t> frame(std::size_t(settings.width) * settings.height);
    std::vector<std::int16_t> samples;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    auto writer = Ryx_Capture::Open_Mp4(argv[3], settings, error);
    if (!writer)
    {
        std::fprintf(stderr, "encode_raw: %s\n", error.c_str());
        return 1;
    }
    long n = 0;
    std::uint64_t pulled = 0;
    while (std::fread(frame.data(), 4, frame.size(), frames) == frame.size())
    {
        writer->Add_Frame(frame.data());
        ++n;
        std::uint64_t target = std::uint64_t(n) * 44100 / std::uint64_t(settings.fps);
        samples.resize(std::size_t(target - pulled) * 2);
        std::size_t got = std::fread(samples.data(), 4, target - pulled, sound);
        writer->Add_Audio(samples.data(), got);
        pulled = target;
    }
    if (!writer->Finish(error))
    {
        std::fprintf(stderr, "encode_raw: %s\n", error.c_str());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("encoder alone: %ld frames in %.1f s (%.0f frames a second)\n", n, seconds, n / seconds);
    std::fclose(frames);
    std::fclose(sound);
    return 0;
}
