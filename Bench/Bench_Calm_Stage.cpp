// The calm stage's cost per 640 x 480 frame at 60 frames a second: on a
// picture that never flashes (its measure of the frame, nearly all of it) and
// on a whole-screen strobe of 15 flashes a second, where it softens about a
// quarter of the frames. The goal is 0.5 ms a frame.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <vector>
#include "Platform/Calm_Stage.h"

namespace
{
    constexpr int Width = 640, Height = 480;

    // A textured frame (diagonal bands and a grid), brightened by `lift`.
    std::vector<std::uint32_t> Frame(int shift, int lift)
    {
        std::vector<std::uint32_t> pixels(std::size_t(Width) * Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
            {
                int v = ((x + y + shift) & 63) + ((x & 15) == 0 || (y & 15) == 0 ? 40 : 0) + lift;
                std::uint32_t c = std::uint32_t(v > 255 ? 255 : v);
                pixels[std::size_t(y) * Width + x] = c << 16 | (c * 3 / 4) << 8 | c / 2;
            }
        return pixels;
    }

    void Run(benchmark::State& state, int period)
    {
        Ryx_Platform::Calm_Stage stage;
        std::vector<std::vector<std::uint32_t>> frames;
        for (int i = 0; i < 8; ++i)
            frames.push_back(Frame(i * 3, period && i % period == 0 ? 150 : 0));
        std::vector<std::uint32_t> frame;
        std::uint64_t n = 0;
        frame.resize(frames[0].size());
        for (auto _ : state)
        {
            // The stage softens in place: each frame starts as a copy (one
            // Frame_Copy of the figure), which costs less than pausing the clock.
            std::memcpy(frame.data(), frames[n % frames.size()].data(), frame.size() * 4);
            stage.Apply(frame.data(), Width, Height, std::uint32_t(n * 1000 / 60));
            benchmark::DoNotOptimize(frame.data());
            ++n;
        }
        state.counters["changed"] = double(stage.Get_Changed()) / double(stage.Get_Frames());
    }
}

static void Calm_Stage_Steady(benchmark::State& state) { Run(state, 0); }
BENCHMARK(Calm_Stage_Steady);

static void Calm_Stage_Strobe(benchmark::State& state) { Run(state, 4); }
BENCHMARK(Calm_Stage_Strobe);

// The measure alone, which the stage takes of every frame.
static void Flash_Measure(benchmark::State& state)
{
    std::vector<std::uint32_t> frame = Frame(0, 0);
    Ryx_Platform::Frame_Levels levels;
    for (auto _ : state)
    {
        Ryx_Platform::Measure_Levels(frame.data(), Width, Height, levels);
        benchmark::DoNotOptimize(levels);
    }
}
BENCHMARK(Flash_Measure);
