#include "Tools/Flash_Check/Flash_Timeline.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "Tools/Capture/Label_Font.h"
#include "Tools/Image_Writer/Image_Writer.h"
#include "Tools/Painter/Font_Files.h"

namespace Ryx_Tools
{
    namespace
    {
        constexpr int Column = 5;  // pixels a second
        constexpr int Left = 56, Right = 24, Top = 100, Plot = 240, Bottom = 44;
        constexpr std::uint32_t Paper = 0xFFFFFFu, Ink = 0x202020u, Grid = 0xE4E4E4u, Scene_Line = 0xA0A0A0u;
        constexpr std::uint32_t Window_Colour = 0x9CC3EEu, Whole_Colour = 0x1F4E9Au, Red_Colour = 0xD62728u;
        constexpr std::uint32_t Limit_Colour = 0xF08C00u, Fail_Colour = 0xD62728u;

        struct Canvas
        {
            int width, height;
            std::vector<std::uint32_t> pixels;
            const Ryx_Capture::Label_Font& font;

            void Fill(int x0, int y0, int x1, int y1, std::uint32_t colour)
            {
                for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
                    for (int x = std::max(x0, 0); x < std::min(x1, width); ++x)
                        pixels[std::size_t(y) * width + x] = colour;
            }
            void Text(int x, int y, const std::string& text, int size = 12, std::uint32_t colour = Ink)
            {
                font.Draw(pixels.data(), width, height, x, y, text, size, colour);
            }
        };
    }

    bool Write_Timeline(const std::string& path, const std::string& title, const std::vector<Flash_Second>& seconds,
                        const std::vector<Timeline_Scene>& scenes, std::string& error)
    {
        const int count = int(seconds.size());
        // Without the painter's face the timeline is drawn without its words.
        const Ryx_Capture::Label_Font font(Ryx_Painter::Font_File(Ryx_Painter::Face_Bold));
        Canvas c{Left + Column * count + Right, Top + Plot + Bottom, {}, font};
        c.pixels.assign(std::size_t(c.width) * c.height, Paper);

        // Flashes (half the transitions) upwards, to an even number above the
        // worst; at least 16, the default show's, so that timelines compare.
        int most = 16;
        for (const Flash_Second& s : seconds)
            most = std::max({most, (s.whole + 1) / 2, (s.windows + 1) / 2, (s.red + 1) / 2});
        most += most % 2;
        const int base = Top + Plot;
        auto y_of = [&](double flashes) { return base - int(flashes * Plot / most + 0.5); };
        for (int f = 0; f <= most; f += 2)
        {
            c.Fill(Left, y_of(f), Left + Column * count, y_of(f) + 1, Grid);
            c.Text(Left - 10 - (f >= 10 ? 7 : 0), y_of(f) + 4, std::to_string(f), 11);
        }
        c.Text(6, Top - 30, "flashes in a second", 11);
        for (int s = 0; s <= count; s += 20)
        {
            c.Fill(Left + Column * s, base, Left + Column * s + 1, base + 4, Ink);
            c.Text(Left + Column * s - 6, base + 16, std::to_string(s) + (s == 0 ? " s" : ""), 11);
        }
        for (const Timeline_Scene& scene : scenes)
        {
            int x = Left + int(scene.seconds * Column);
            c.Fill(x, Top - 18, x + 1, base, Scene_Line);
            c.Text(x + 4, Top - 6, scene.name, 12);
        }

        for (int s = 0; s < count; ++s)
        {
            const Flash_Second& second = seconds[std::size_t(s)];
            int x = Left + Column * s;
            c.Fill(x, y_of(second.windows / 2.0), x + Column - 1, base, Window_Colour);
            c.Fill(x, y_of(second.whole / 2.0), x + Column - 1, base, Whole_Colour);
            c.Fill(x + 1, y_of(second.red / 2.0), x + Column - 2, base, Red_Colour);
            if (second.Fails())
                c.Fill(x, base + 22, x + Column, base + 30, Fail_Colour);
        }
        // The limit: three flashes a second; a second with more fails.
        for (int x = Left; x < Left + Column * count; x += 8)
            c.Fill(x, y_of(3) - 1, x + 5, y_of(3) + 1, Limit_Colour);
        c.Fill(Left, base, Left + Column * count, base + 1, Ink);

        c.Text(Left, 24, title, 15);
        int x = Left;
        for (auto [colour, name] : {std::pair{Whole_Colour, "whole screen"}, std::pair{Window_Colour, "worst window"},
                                    std::pair{Red_Colour, "red"}, std::pair{Limit_Colour, "limit: 3"},
                                    std::pair{Fail_Colour, "failing second"}})
        {
            c.Fill(x, 39, x + 12, 51, colour);
            c.Text(x + 16, 50, name, 12);
            x += 30 + 8 * int(std::strlen(name));
        }
        c.Text(Left, base + 41, "failing seconds", 11, Fail_Colour);

        std::vector<std::uint8_t> png = Encode_PNG(c.width, c.height, c.pixels.data(), 6);
        if (!Write_File(path, png))
            return error = "cannot write " + path + ": " + std::strerror(errno), false;
        return true;
    }
}
