// Writes one frame of each line scene as a PNG: line_part.png and
// line_part_2.png in the folder given (default: the current one).
//
// Run it in the folder that holds "tekstit/" and "texture/" (build/data) to
// see the show's images; elsewhere the scenes draw their lines alone. Each
// scene is played from its first row to the chosen moment at 60 frames a
// second on the virtual clock, with the module's rows (a sixteenth note at
// 171 beats a minute) scripted, so flash, speed and bar are what the show has.
#include <cstdio>
#include <string>
#include "Code/Effect.h"
#include "Code/Line_Part.h"
#include "Code/Line_Part_2.h"
#include "Code/Music.h"
#include "Code/Timer.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Report.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Tests/Support/Memory_Window.h"
#include "Tools/Image_Writer/Image_Writer.h"

namespace
{
    constexpr double c_row_seconds = 60.0 / 171.0 / 4.0;

    // Plays the scene from (order, 0) to the first frame of (last_order,
    // last_row) and writes that frame.
    bool Play_And_Write(Ryx_Vektu::Effect& scene, Ryx_Test::Memory_Window& window, Ryx_Vektu::Timer& timer, int order,
                        int last_order, int last_row, const std::string& path)
    {
        const double start = 1.0 + order * 64 * c_row_seconds;  // the timer counts from program start
        for (int frame = 0;; ++frame)
        {
            double t = frame / 60.0;
            int rows = int(t / c_row_seconds);
            int o = order + rows / 64, r = rows % 64;
            Ryx_Platform::Set_Virtual_Time(std::uint32_t((start + t) * 1000.0));
            timer.Update();
            Ryx_Platform::Audio_Script_Position(std::int64_t(o) | std::int64_t(r) << 16);
            scene.Update();
            scene.Render();
            if (o > last_order || (o == last_order && r >= last_row))
                break;
        }
        std::vector<std::uint8_t> png =
            Ryx_Tools::Encode_PNG(int(window.Get_Width()), int(window.Get_Height()), window.Get_Buffer(), 6);
        if (png.empty() || !Ryx_Tools::Write_File(path, png))
        {
            std::fprintf(stderr, "line_frames: could not write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
        return true;
    }
}

int main(int argc, char** argv)
{
    Ryx_Platform::Set_Assertion_Boxes(false);
    std::string folder = argc > 1 ? std::string(argv[1]) + "/" : std::string();
    Ryx_Test::Memory_Window window(640, 480);
    Ryx_Lib::Single<Ryx_Vektu::Timer> timer = Ryx_Vektu::Create_Timer();
    Ryx_Lib::Single<Ryx_Vektu::Music> music = Ryx_Vektu::Create_Music("tekno.xm", nullptr, true);
    bool ok = true;
    {
        // Order 4, a row after the bar started: text a1, the bar, a beat flash.
        Ryx_Lib::Single<Ryx_Vektu::Effect> scene = Ryx_Vektu::Create_Line_Part(&window, {0, 500, 0xFF121F16u});
        ok &= Play_And_Write(*scene, window, *timer, 0, 4, 3, folder + "line_part.png");
    }
    {
        // Order 31 row 10: basari on screen, the flash of the playing row.
        Ryx_Lib::Single<Ryx_Vektu::Effect> scene = Ryx_Vektu::Create_Line_Part_2(&window, {1, 1500, 0xFF065179u});
        ok &= Play_And_Write(*scene, window, *timer, 30, 31, 10, folder + "line_part_2.png");
    }
    Ryx_Platform::Audio_Script_Position(-1);
    return ok ? 0 : 1;
}
