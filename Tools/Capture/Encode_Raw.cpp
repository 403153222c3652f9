// The encoder alone: encodes raw frames (and a WAV file) captured earlier
// with the same settings as the capture, and says how long the encoding took.
// The frames are read into memory in batches between timed spans, so a slow
// disk does not count; the capture's own time is compared with this to see
// that rendering runs beside encoding, not in front of it.
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
    const std::size_t frame_size = std::size_t(settings.width) * settings.height, batch = 300;
    std::vector<std::uint32_t> pictures(frame_size * batch);
    std::vector<std::vector<std::int16_t>> sounds(batch);
    std::string error;
    using Clock = std::chrono::steady_clock;
    double timed = 0;
    auto start = Clock::now();
    auto writer = Ryx_Capture::Open_Mp4(argv[3], settings, error);
    if (!writer)
    {
        std::fprintf(stderr, "encode_raw: %s\n", error.c_str());
        return 1;
    }
    timed += std::chrono::duration<double>(Clock::now() - start).count();
    long n = 0;
    std::uint64_t pulled = 0;
    for (;;)
    {
        std::size_t got = std::fread(pictures.data(), frame_size * 4, batch, frames);
        if (got == 0)
            break;
        for (std::size_t k = 0; k < got; ++k)
        {
            std::uint64_t target = std::uint64_t(n + long(k) + 1) * 44100 / std::uint64_t(settings.fps);
            sounds[k].resize(std::size_t(target - pulled) * 2);
            sounds[k].resize(std::fread(sounds[k].data(), 4, target - pulled, sound) * 2);
            pulled = target;
        }
        start = Clock::now();
        for (std::size_t k = 0; k < got; ++k)
        {
            writer->Add_Frame(pictures.data() + k * frame_size);
            writer->Add_Audio(sounds[k].data(), sounds[k].size() / 2);
        }
        writer->Wait_Until_Idle();
        timed += std::chrono::duration<double>(Clock::now() - start).count();
        n += long(got);
    }
    start = Clock::now();
    if (!writer->Finish(error))
    {
        std::fprintf(stderr, "encode_raw: %s\n", error.c_str());
        return 1;
    }
    timed += std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("encoder alone: %ld frames in %.1f s (%.0f frames a second)\n", n, timed, n / timed);
    std::fclose(frames);
    std::fclose(sound);
    return 0;
}
