// What a scene test needs around it: its own window, a timer on the virtual
// clock, a music whose position the test scripts, and images made in memory
// that a scene's loader hands out by file name.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "Code/Music.h"
#include "Code/Texture.h"
#include "Code/Timer.h"
#include "Lib/Single.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Tests/Support/Memory_Window.h"

namespace Ryx_Test
{
    class Memory_Texture : public Ryx_Vektu::Texture
    {
    public:
        Memory_Texture(int width, int height, int bytes_per_pixel, std::vector<std::uint8_t> pixels)
            : m_width(width), m_height(height), m_bpp(bytes_per_pixel), m_pixels(std::move(pixels))
        {}
        int Get_Width() override { return m_width; }
        int Get_Height() override { return m_height; }
        void* Get_Pixels() override { return m_pixels.empty() ? nullptr : m_pixels.data(); }
        int Get_Bytes_Per_Pixel() override { return m_bpp; }
        const char* Get_Name() override { return "(made in memory)"; }

    private:
        int m_width, m_height, m_bpp;
        std::vector<std::uint8_t> m_pixels;
    };

    struct Image_Data
    {
        int width = 0, height = 0, bytes_per_pixel = 1;
        std::vector<std::uint8_t> pixels;  // width * height * bytes_per_pixel
    };

    // The images the next scene built with Memory_Images::Load will get; a
    // name not listed loads as an empty (missing) texture.
    struct Memory_Images
    {
        static std::map<std::string, Image_Data>& Table()
        {
            static std::map<std::string, Image_Data> table;
            return table;
        }

        static void Flat(const std::string& path, int width, int height, std::uint8_t value)
        {
            Table()[path] = Image_Data{width, height, 1, std::vector<std::uint8_t>(std::size_t(width) * height, value)};
        }

        static Ryx_Lib::Single<Ryx_Vektu::Texture> Load(const char* path)
        {
            auto found = Table().find(path);
            if (found == Table().end())
                return Ryx_Lib::Single<Ryx_Vektu::Texture>(new Memory_Texture(0, 0, 4, {}));
            const Image_Data& image = found->second;
            return Ryx_Lib::Single<Ryx_Vektu::Texture>(
                new Memory_Texture(image.width, image.height, image.bytes_per_pixel, image.pixels));
        }
    };

    class Line_Scene_Rig
    {
    public:
        Line_Scene_Rig(std::uint32_t width = 640, std::uint32_t height = 480)
            : window(width, height), music("no-module.xm", nullptr, true)
        {
            Memory_Images::Table().clear();
            Set_Playing(0, 0, 0);
        }
        ~Line_Scene_Rig()
        {
            Memory_Images::Table().clear();
            Ryx_Platform::Audio_Script_Position(-1);
            Ryx_Platform::Use_Real_Time();
        }
        Line_Scene_Rig(const Line_Scene_Rig&) = delete;
        Line_Scene_Rig& operator=(const Line_Scene_Rig&) = delete;

        // The row now playing, and the clock, for the next frame.
        void Set_Playing(std::uint32_t milliseconds, int order, int row)
        {
            Ryx_Platform::Set_Virtual_Time(milliseconds);
            timer.Update();
            Ryx_Platform::Audio_Script_Position(std::int64_t(order) | std::int64_t(row) << 16);
        }

        // The same, named by the look-ahead position (the row after the one playing).
        void Set_Ahead(std::uint32_t milliseconds, int order, int row)
        {
            if (row == 0)
                Set_Playing(milliseconds, order - 1, 63);
            else
                Set_Playing(milliseconds, order, row - 1);
        }

        // Sum of the colour channels over the whole frame.
        std::uint64_t Brightness()
        {
            std::uint64_t sum = 0;
            for (std::uint32_t p : window.Pixels())
                sum += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
            return sum;
        }

        // Colour of the pixel without its top byte.
        std::uint32_t Rgb(std::uint32_t x, std::uint32_t y) { return window.At(x, y) & 0xFFFFFFu; }

        Memory_Window window;
        Ryx_Vektu::Timer_Impl timer;
        Ryx_Vektu::Music_Impl music;
    };
}
