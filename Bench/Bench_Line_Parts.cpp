// A frame (Update and Render) of each line scene as the show runs it: the
// opening scene with 500 segments, a text image and the light bars; the
// closing scene with 1500 segments and a drum image.
#include <benchmark/benchmark.h>

#include "Code/Line_Part.h"
#include "Code/Line_Part_2.h"
#include "Tests/Support/Line_Scene_Rig.h"

using namespace Ryx_Vektu;
using Ryx_Test::Line_Scene_Rig;
using Ryx_Test::Memory_Images;

namespace
{
    // A soft vertical ramp: every byte value, no runs the loop could skip.
    void Grey_Ramp(const char* path, int width, int height)
    {
        Ryx_Test::Image_Data image{width, height, 1, {}};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.pixels.push_back(std::uint8_t((x + y) & 0xFF));
        Memory_Images::Table()[path] = image;
    }
}

static void Scene_Line_Part(benchmark::State& state)
{
    Line_Scene_Rig rig;
    Grey_Ramp("tekstit/a3.tga", 640, 480);
    Line_Part scene(&rig.window, {0, 500, 0xFF121F16u}, &Memory_Images::Load);
    std::uint32_t ms = 60000;
    rig.Set_Playing(ms, 4, 0);  // look-ahead row 1: the bar starts
    scene.Update();
    scene.Render();
    int frame = 0;
    for (auto _ : state)
    {
        // Look-ahead rows 16 and 17 in turn: a3 on screen, a flash every other frame.
        rig.Set_Playing(ms += 16, 4, 15 + (frame++ & 1));
        scene.Update();
        scene.Render();
        benchmark::DoNotOptimize(rig.window.Get_Buffer());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Scene_Line_Part)->Unit(benchmark::kMicrosecond);

static void Scene_Line_Part_2(benchmark::State& state)
{
    Line_Scene_Rig rig;
    Grey_Ramp("texture/x1_basari.tga", 640, 420);
    Line_Part_2 scene(&rig.window, {1, 1500, 0xFF065179u}, &Memory_Images::Load);
    std::uint32_t ms = 170000;
    rig.Set_Playing(ms, 29, 63);  // look-ahead order 30 row 0: basari
    scene.Update();
    scene.Render();
    int frame = 0;
    for (auto _ : state)
    {
        // The speed ramp is left to grow: at 60 frames a second it would
        // reach such values only minutes into the scene, and the cost of a
        // frame does not depend on it.
        rig.Set_Playing(ms += 16, 30, frame++ & 1);
        scene.Update();
        scene.Render();
        benchmark::DoNotOptimize(rig.window.Get_Buffer());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Scene_Line_Part_2)->Unit(benchmark::kMicrosecond);
