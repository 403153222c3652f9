// The show loop's own cost per frame, without scene and presentation: the
// music position queries, the timer reading, the message pump on an empty
// queue and the Escape poll. Must stay far below a frame (under 20 us).
#include <benchmark/benchmark.h>
#include <cstdlib>
#include "Code/Engine.h"
#include "Code/Main_Window.h"
#include "Code/Windows_Callback.h"
#include "Platform/Keyboard.h"

static void Engine_Loop_Overhead(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    Create_Main_Window(nullptr);  // the pump then has a window's events to look at
    Ryx_Lib::Single<Ryx_Vektu::Music> music = Ryx_Vektu::Create_Music("tekno.xm", s_hwnd, true);
    Ryx_Lib::Single<Ryx_Vektu::Timer> timer = Ryx_Vektu::Create_Timer();
    Windows_Callback pump;
    std::int32_t last = -1;
    int scene = 0;
    for (auto _ : state)
    {
        int index = Ryx_Vektu::Scene_Of_Order(music->Get_Pos().order);
        if (index >= 0)
            scene = index;
        if (music->Get_Pos().order > last)
            last = music->Get_Pos().order;
        bool end = music->Get_Order() == 36 || music->Has_Ended();
        timer->Update();
        try
        {
            pump.Execute();
        }
        catch (Windows_Msg&)
        {}
        bool escape = Ryx_Platform::GetAsyncKeyState(Ryx_Platform::VK_ESCAPE) != 0;
        benchmark::DoNotOptimize(scene);
        benchmark::DoNotOptimize(end);
        benchmark::DoNotOptimize(escape);
    }
}
BENCHMARK(Engine_Loop_Overhead);
