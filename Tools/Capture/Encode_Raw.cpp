// The encoder alone: encodes raw 640 x 480 frames (and a WAV file) captured
// earlier, with the same settings as the capture, and says how long the
// encoding took. The frames are read into memory in batches between timed
// spans, so neither a slow disk nor a capture streaming them through a pipe
// counts; the capture's own time is compared with this to see that rendering
// runs beside encoding, not in front of it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Tools/Capture/Frame_Clock.h"
#include "Tools/Capture/Video_Writer.h"
#include "Tools/Wav_File/Wav_File.h"

namespace
{
    int Usage()
    {
        std::fprintf(stderr,
                     "usage: encode_raw FRAMES.raw SOUND.wav OUT.mp4 [--fps N] [--scale N] [--pad W:H]\n"
                     "                  [--crf N] [--preset NAME] [--lossless]\n");
        return 2;
    }
}

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    Ryx_Capture::Video_Settings settings;
    int scale = 1, pad_width = 0, pad_height = 0;
    for (int i = 4; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "--lossless")
            settings.lossless = true;
        else if (i + 1 >= argc)
            return Usage();
        else if (arg == "--fps")
            settings.fps = std::atoi(argv[++i]);
        else if (arg == "--scale")
            scale = std::atoi(argv[++i]);
        else if (arg == "--pad" && std::sscanf(argv[++i], "%d:%d", &pad_width, &pad_height) == 2)
            ;
        else if (arg == "--crf")
            settings.crf = std::atoi(argv[++i]);
        else if (arg == "--preset")
            settings.preset = argv[++i];
        else
            return Usage();
    }
    if (settings.fps < 1 || scale < 1 || scale > 6)
        return Usage();
    settings.layout = Ryx_Capture::Make_Layout(640, 480, scale, pad_width, pad_height);

    std::FILE* frames = std::fopen(argv[1], "rb");
    std::FILE* sound = std::fopen(argv[2], "rb");
    if (!frames || !sound || std::fseek(sound, long(Ryx_Tools::Wav_Header_Size), SEEK_SET) != 0)
    {
        std::fprintf(stderr, "encode_raw: cannot read the inputs\n");
        return 1;
    }
    const std::size_t frame_size = 640 * 480, batch = 300;
    std::vector<std::uint32_t> pictures(frame_size * batch);
    std::vector<std::vector<std::int16_t>> sounds(batch);
    std::string error, note;
    using Clock = std::chrono::steady_clock;
    double timed = 0;
    auto start = Clock::now();
    auto writer = Ryx_Capture::Open_Video(argv[3], settings, error, note);
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
            std::uint64_t target = Ryx_Capture::Frame_Sample(std::uint64_t(n + long(k) + 1), settings.fps);
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
    if (!writer->Finish(error) || !writer->Commit(error))
    {
        std::fprintf(stderr, "encode_raw: %s\n", error.c_str());
        return 1;
    }
    timed += std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("encoder alone: %ld frames of %d x %d in %.1f s (%.0f frames a second), enlarging %.1f s of it\n", n,
                settings.layout.width, settings.layout.height, timed, n / timed, writer->Get_Enlarge_Seconds());
    std::fclose(frames);
    std::fclose(sound);
    return 0;
}
