// The rasterizer's figures: one grid frame, one frame of 500 or 1500
// anti-aliased lines, one full-frame greyscale overlay. Tools/bench.sh prints
// each beside the Frame_Copy anchor of the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "Bench/Raster_Workload.h"
#include "Code/Grid.h"
#include "Code/Line.h"
#include "Code/Overlay.h"
#include "Tests/Support/Memory_Window.h"

static void Grid_Render(benchmark::State& state)
{
    Ryx_Test::Memory_Window window(640, 480);
    Ryx_Bench::Pattern_Texture texture;
    auto grid = Ryx_Vektu::Create_Grid(&window, &texture, 41, 24);
    Ryx_Bench::Lay_Out_Lattice(*grid, 0.7f);
    for (auto _ : state)
    {
        grid->Render();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 640 * 368);  // pixels
}
BENCHMARK(Grid_Render);

static void AA_Lines(benchmark::State& state)
{
    Ryx_Test::Memory_Window window(640, 480);
    const std::vector<Ryx_Bench::Segment> figure = Ryx_Bench::Figure(int(state.range(0)), 0.37f);
    for (auto _ : state)
    {
        // The scenes clear every frame (a memset, ~2 % of the figure).
        window.Clear();
        for (const Ryx_Bench::Segment& s : figure)
            Ryx_Vektu::Draw_AA_Line(&window, 0xFF3080C0u, s.x0, s.y0, s.x1, s.y1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AA_Lines)->Arg(500)->Arg(1500);

static void Overlay(benchmark::State& state)
{
    std::vector<std::uint32_t> frame(640 * 480, 0xFF203040u);
    std::vector<std::uint8_t> image(640 * 480);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 37 >> 3);
    for (auto _ : state)
    {
        Ryx_Vektu::Add_Greyscale(frame.data(), image.data(), frame.size());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Overlay);
