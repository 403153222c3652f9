// Plays the tunnel and attractor scenes on a virtual clock, 60 frames a
// second with rows of 87.609 ms, and writes PNGs of chosen moments.
//
//   scene_pictures OUT_DIR [DATA_DIR]
//
// With DATA_DIR the scenes load the show's own texture files from there;
// without it they draw on patterns made here.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Code/Attractor_1.h"
#include "Code/Tunnel.h"
#include "Tests/Support/Memory_Window.h"
#include "Tests/Support/Scene_Harness.h"
#include "Tools/Image_Writer/Image_Writer.h"

namespace
{
    using Ryx_Test::Image_Set;
    using Ryx_Test::Image_Texture;
    using Texture_Holder = Ryx_Lib::Single<Ryx_Vektu::Texture>;

    const double Row_Seconds = 0.087609;
    const double Frame_Seconds = 1.0 / 60.0;

    // Bands and checks in one tint, so that the warp shows.
    Texture_Holder Pattern(std::uint32_t tint)
    {
        auto* t = new Image_Texture(256, 256, 4);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
            {
                int check = ((x >> 4) ^ (y >> 4)) & 1;
                int level = 60 + 120 * check + ((x + y) & 63);
                std::uint32_t r = ((tint >> 16) & 255) * level / 255, g = ((tint >> 8) & 255) * level / 255,
                              b = (tint & 255) * level / 255;
                t->Pixels32()[y * 256 + x] = 0xFF000000u | r << 16 | g << 8 | b;
            }
        return Texture_Holder(t);
    }

    Texture_Holder Overlay()
    {
        auto* t = new Image_Texture(640, 368, 4);
        for (int y = 0; y < 368; ++y)
            for (int x = 0; x < 640; ++x)
            {
                std::uint32_t v = ((x / 40 + y / 46) & 1) ? 0xB0u : 0x30u;
                t->Pixels32()[y * 640 + x] = 0xFF000000u | v << 16 | (v / 2) << 8 | 0x20u;
            }
        return Texture_Holder(t);
    }

    Texture_Holder Rings(int spacing)
    {
        auto* t = new Image_Texture(640, 368, 1);
        for (int y = 0; y < 368; ++y)
            for (int x = 0; x < 640; ++x)
            {
                double d = std::hypot(x - 320.0, y - 184.0);
                t->Bytes()[y * 640 + x] = (int(d) / spacing) & 1 ? 90 : 0;
            }
        return Texture_Holder(t);
    }

    void Fill_Patterns()
    {
        Image_Set()["texture/teksture_krazy.jpg"] = [] { return Pattern(0xFFFFC080u); };
        Image_Set()["texture/teksture.jpg"] = [] { return Pattern(0xFF80C0FFu); };
        Image_Set()["texture/trash_punanen.jpg"] = [] { return Pattern(0xFFFF6060u); };
        Image_Set()["texture/mafia_368.jpg"] = [] { return Overlay(); };
        Image_Set()["texture/joomu.jpg"] = [] { return Pattern(0xFFC0FF80u); };
        Image_Set()["texture/trash_sininen_1.jpg"] = [] { return Pattern(0xFF6080FFu); };
        Image_Set()["texture/trash_total_vihree.jpg"] = [] { return Pattern(0xFF60FF60u); };
        Image_Set()["texture/MO_1.tga"] = [] { return Rings(12); };
        Image_Set()["texture/MO_2.tga"] = [] { return Rings(20); };
        Image_Set()["texture/MO_3.tga"] = [] { return Rings(32); };
        Image_Set()["texture/MO_4.tga"] = [] { return Rings(48); };
    }

    // Plays from (first order, row 0) and writes a PNG when the playing
    // position reaches each (order, row 32).
    template <class Scene>
    bool Play(Scene& scene, Ryx_Test::Scene_Clock& clock, Ryx_Test::Memory_Window& window, int first_order,
              std::initializer_list<int> orders, const std::string& out, const char* name)
    {
        bool ok = true;
        double time = 5.0;
        for (int order : orders)
        {
            int target = (order - first_order) * 64 + 32;
            for (;;)
            {
                int rows = static_cast<int>((time - 5.0) / Row_Seconds);
                if (rows > target)
                    break;
                clock.Set(time, first_order + rows / 64, rows % 64);
                scene.Update();
                scene.Render();
                time += Frame_Seconds;
            }
            std::string path = out + "/" + name + "_order_" + std::to_string(order) + ".png";
            ok = Ryx_Tools::Write_File(path, Ryx_Tools::Encode_PNG(640, 480, window.Pixels().data(), 1)) && ok;
            std::printf("%s at %.2f s\n", path.c_str(), time - 5.0);
        }
        return ok;
    }
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: scene_pictures OUT_DIR [DATA_DIR]\n");
        return 2;
    }
    std::string out = std::filesystem::absolute(argv[1]).string();
    std::filesystem::create_directories(out);
    Ryx_Vektu::Texture_Loader jpg = &Ryx_Test::Load_From_Set, tga = &Ryx_Test::Load_From_Set;
    if (argc > 2)
    {
        std::filesystem::current_path(argv[2]);
        jpg = &Ryx_Vektu::Load_JPG_Texture;
        tga = &Ryx_Vektu::Load_TGA_Texture;
    }
    else
        Fill_Patterns();

    Ryx_Test::Scene_Clock clock;
    bool ok = true;
    {
        Ryx_Test::Memory_Window window;
        Ryx_Vektu::Tunnel tunnel(&window, jpg);
        ok = Play(tunnel, clock, window, 10, {11, 15, 20}, out, "tunnel") && ok;
    }
    {
        Ryx_Test::Memory_Window window;
        Ryx_Vektu::Attractor_1 attractor(&window, jpg, tga);
        ok = Play(attractor, clock, window, 22, {22, 25, 29}, out, "attractor") && ok;
    }
    return ok ? 0 : 1;
}
