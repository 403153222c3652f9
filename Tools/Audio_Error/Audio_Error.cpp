// audio_error [module.xm] [seconds]: plays the module through a test double
// of the sound device on a scripted clock, at every buffer size a device may
// pick and with its sample clock 2 % slow, exact and 2 % fast, and through
// the no-sound pacer; prints how far the reported row change is from the
// instant the row's first frame is heard. Without a module it measures the
// show's own "tekno.xm" from the data folder when it exists, otherwise a
// small module of known rows. Exits 1 when the worst error exceeds 5 ms.
// audio_error --write PATH writes that module of known rows (the bench's
// fixture when the show's module is not built).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Platform/Test/Audio_Measure.h"
#include "Tools/Audio_Error/Known_Module.h"

namespace
{
    bool Read(const std::string& path, std::vector<char>& bytes)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return !bytes.empty();
    }
}

int main(int argc, char** argv)
{
    using namespace Ryx_Platform;
    const Ryx_Tools::Known_Module_Setup known{12, 2, 200, 150};
    if (argc == 3 && std::string(argv[1]) == "--write")
        return Ryx_Tools::Save_Xm(Ryx_Tools::Known_Module(known), argv[2]) ? 0 : 2;
    std::vector<char> bytes;
    std::string name;
    if (argc > 1)
    {
        name = argv[1];
        if (!Read(name, bytes))
        {
            std::fprintf(stderr, "audio_error: cannot read \"%s\"\n", argv[1]);
            return 2;
        }
    }
    else if (Read(std::string(RYX_DATA_DIR) + "/tekno.xm", bytes))
        name = "tekno.xm";
    else
    {
        std::vector<std::uint8_t> encoded = Ryx_Tools::Encode_Xm(Ryx_Tools::Known_Module(known));
        bytes.assign(encoded.begin(), encoded.end());
        name = "the known-rows test module";
    }
    double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;

    std::vector<Row_Start> truth =
        Reference_Row_Starts(bytes.data(), bytes.size(), std::uint64_t(seconds * 44100) + 44100);
    if (truth.empty())
    {
        std::fprintf(stderr, "audio_error: %s is not a module\n", name.c_str());
        return 2;
    }
    std::printf("heard-position error, %s, first %.0f s (%zu rows), queries every 0.1 ms\n", name.c_str(), seconds,
                truth.size());
    std::printf("pulls wake up to 0.5 ms late, one in 20 up to 4 ms late\n\n");
    std::printf("%-12s %8s %8s %10s %10s %8s\n", "device", "buffer", "clock", "median ms", "max ms", "missing");
    double worst = 0;
    std::size_t missing = 0;
    for (std::uint32_t buffer : {64u, 256u, 512u, 1024u, 2048u, 4096u, 8192u})
        for (double drift : {-0.02, 0.0, 0.02})
        {
            Device_Double device;
            device.buffer_frames = buffer;
            device.latency_frames = buffer;
            device.drift = drift;
            device.seed = buffer;
            Position_Error e = Measure_Position_Error(bytes.data(), bytes.size(), truth, device, seconds);
            std::printf("%-12s %8u %+7.0f%% %10.3f %10.3f %8zu\n", "sound card", buffer, drift * 100, e.median_ms,
                        e.max_ms, e.missing);
            worst = std::max(worst, e.max_ms);
            missing += e.missing;
        }
    Device_Double pacer;
    pacer.buffer_frames = 256;
    pacer.latency_frames = 256;
    pacer.stamps_due_time = true;
    pacer.late_ms = 1.0;
    pacer.spike_ms = 5.0;
    Position_Error e = Measure_Position_Error(bytes.data(), bytes.size(), truth, pacer, seconds);
    std::printf("%-12s %8u %+7.0f%% %10.3f %10.3f %8zu\n", "no sound", 256u, 0.0, e.median_ms, e.max_ms, e.missing);
    worst = std::max(worst, e.max_ms);
    missing += e.missing;
    std::printf("\nposition error: %.2f ms at worst (target 5 ms), %zu rows missed\n", worst, missing);
    return worst <= 5.0 && missing == 0 ? 0 : 1;
}
