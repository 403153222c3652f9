// The audio layer's costs and accuracy: decoding speed (seconds of music per
// second of CPU, in the player's tick-aligned chunks), the main thread's
// position read, and the heard-position error on the scripted device double.
// Plays the show's module when it is built, else the module of known rows.
#include <benchmark/benchmark.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Platform/Audio_Player.h"
#include "Platform/Test/Audio_Measure.h"

namespace
{
    const std::vector<char>& Bench_Module(std::string* name = nullptr)
    {
        static std::string found;
        static std::vector<char> bytes = [] {
            for (const char* file : {"tekno.xm", "audio_yardstick.xm"})
            {
                std::ifstream in(std::string(RYX_DATA_DIR) + "/" + file, std::ios::binary);
                std::vector<char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
                if (!b.empty())
                {
                    found = file;
                    return b;
                }
            }
            return std::vector<char>();
        }();
        if (name)
            *name = found;
        return bytes;
    }

    double Cpu_Seconds()
    {
        timespec t;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
}

static void Audio_Decode(benchmark::State& state)
{
    std::string name;
    const std::vector<char>& bytes = Bench_Module(&name);
    if (bytes.empty())
    {
        state.SkipWithError("no module in the data folder: build the Data target");
        return;
    }
    std::vector<std::int16_t> buffer(2 * 1024);
    double music = 0, cpu = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto player = Ryx_Platform::Audio_Player::Load(bytes.data(), bytes.size(), nullptr);
        player->Start(0, 0);
        state.ResumeTiming();
        double c0 = Cpu_Seconds();
        std::size_t frames = 0;
        while (std::size_t got = player->Pull(buffer.data(), 1024, 0.0, 1024))
            frames += got;
        cpu += Cpu_Seconds() - c0;
        music += double(frames) / 44100.0;
    }
    state.counters["music_s_per_cpu_s"] = music / cpu;
    state.SetLabel(name);
}
BENCHMARK(Audio_Decode)->Unit(benchmark::kMillisecond)->Iterations(3);

static void Audio_Position_Read(benchmark::State& state)
{
    const std::vector<char>& bytes = Bench_Module();
    if (bytes.empty())
    {
        state.SkipWithError("no module in the data folder: build the Data target");
        return;
    }
    auto player = Ryx_Platform::Audio_Player::Load(bytes.data(), bytes.size(), nullptr);
    player->Start(0, 0);
    std::vector<std::int16_t> buffer(2 * 1024);
    for (int i = 0; i < 200; ++i)
        player->Pull(buffer.data(), 1024, i * 1024 / 44100.0, 1024);
    double t = 100 * 1024 / 44100.0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(player->Position_At(player->Heard_Frame(t)));
        t += 1e-6;
    }
}
BENCHMARK(Audio_Position_Read);

static void Audio_Position_Error(benchmark::State& state)
{
    const std::vector<char>& bytes = Bench_Module();
    if (bytes.empty())
    {
        state.SkipWithError("no module in the data folder: build the Data target");
        return;
    }
    std::vector<Ryx_Platform::Row_Start> truth =
        Ryx_Platform::Reference_Row_Starts(bytes.data(), bytes.size(), 20 * 44100);
    Ryx_Platform::Device_Double device;
    device.buffer_frames = device.latency_frames = std::uint32_t(state.range(0));
    device.drift = 0.02;
    Ryx_Platform::Position_Error e;
    for (auto _ : state)
        e = Ryx_Platform::Measure_Position_Error(bytes.data(), bytes.size(), truth, device, 18.0);
    state.counters["max_error_ms"] = e.max_ms;
    state.counters["median_error_ms"] = e.median_ms;
    state.counters["missed_rows"] = double(e.missing);
}
BENCHMARK(Audio_Position_Error)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(1);
