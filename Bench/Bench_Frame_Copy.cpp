// The anchor of every figure: one 640 x 480 frame of 32-bit pixels copied
// with memcpy, the floor of any full-frame pass.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <vector>

static void Frame_Copy(benchmark::State& state)
{
    std::vector<std::uint32_t> from(640 * 480, 0xFF102030u), to(640 * 480);
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Frame_Copy);
