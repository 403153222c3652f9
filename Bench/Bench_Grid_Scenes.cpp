// One frame (Update and Render) of each grid scene at a chosen moment, on
// images made in memory.
#include <benchmark/benchmark.h>

#include "Code/Attractor_1.h"
#include "Code/Tunnel.h"
#include "Tests/Support/Memory_Window.h"
#include "Tests/Support/Scene_Harness.h"

namespace
{
    using Ryx_Test::Image_Set;

    void Fill_Images()
    {
        Image_Set().clear();
        auto texture = [] { return Ryx_Test::Uniform_Texture(256, 256, 0xFF6080A0u); };
        for (const char* name : {"texture/teksture_krazy.jpg", "texture/teksture.jpg", "texture/trash_punanen.jpg",
                                 "texture/joomu.jpg", "texture/trash_sininen_1.jpg", "texture/trash_total_vihree.jpg"})
            Image_Set()[name] = texture;
        Image_Set()["texture/mafia_368.jpg"] = [] { return Ryx_Test::Uniform_Texture(640, 368, 0xFF102030u); };
        auto picture = [] { return Ryx_Test::Uniform_Picture(640, 368, 40); };
        for (const char* name : {"texture/MO_1.tga", "texture/MO_2.tga", "texture/MO_3.tga", "texture/MO_4.tga"})
            Image_Set()[name] = picture;
    }

    // band: look-ahead order 20 after enough frames that the band is wide.
    void Run_Tunnel(benchmark::State& state, bool band)
    {
        Fill_Images();
        Ryx_Test::Scene_Clock clock;
        Ryx_Test::Memory_Window window;
        Ryx_Vektu::Tunnel tunnel(&window, &Ryx_Test::Load_From_Set);
        int order = band ? 20 : 16;
        double time = 10.0;
        for (int k = 0; k < (band ? 120 : 1); ++k, time += 0.01)
        {
            clock.Set(time, order, 40);
            tunnel.Update();
        }
        for (auto _ : state)
        {
            time += 0.001;
            clock.Set(time, order, 40);
            tunnel.Update();
            tunnel.Render();
            benchmark::DoNotOptimize(window.Pixels().data());
        }
    }

    void Scene_Tunnel(benchmark::State& state) { Run_Tunnel(state, false); }
    void Scene_Tunnel_Band(benchmark::State& state) { Run_Tunnel(state, true); }

    // Order 28 with a glitch picture chosen in order 24, ten seconds into the
    // melt: 31 streaks of 31 pixels.
    void Scene_Attractor_1(benchmark::State& state)
    {
        Fill_Images();
        Ryx_Test::Scene_Clock clock;
        Ryx_Test::Memory_Window window;
        Ryx_Vektu::Attractor_1 scene(&window, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set);
        clock.Set(20.0, 24, 10);
        scene.Update();
        scene.Render();
        clock.Set(30.0, 28, 10);
        scene.Update();
        scene.Render();
        clock.Set(40.0, 28, 10);
        for (auto _ : state)
        {
            scene.Update();
            scene.Render();
            benchmark::DoNotOptimize(window.Pixels().data());
        }
    }
}

BENCHMARK(Scene_Tunnel)->Unit(benchmark::kMicrosecond);
BENCHMARK(Scene_Tunnel_Band)->Unit(benchmark::kMicrosecond);
BENCHMARK(Scene_Attractor_1)->Unit(benchmark::kMicrosecond);
