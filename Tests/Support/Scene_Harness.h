// What a grid scene needs to run outside the show: a scripted clock and music
// position, and images made in memory that the scenes' loaders hand out by
// file name. Used by the scene tests, the bench and the picture tool.
#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Code/Music.h"
#include "Code/Texture.h"
#include "Code/Timer.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Test/Audio_Hooks.h"

namespace Ryx_Test
{
    class Image_Texture : public Ryx_Vektu::Texture
    {
    public:
        Image_Texture(int width, int height, int bytes_per_pixel)
            : m_width(width), m_height(height), m_bytes_per_pixel(bytes_per_pixel),
              m_bytes(std::size_t(width) * height * bytes_per_pixel, 0)
        {}

        int Get_Width() override { return m_width; }
        int Get_Height() override { return m_height; }
        void* Get_Pixels() override { return m_bytes.empty() ? nullptr : m_bytes.data(); }
        int Get_Bytes_Per_Pixel() override { return m_bytes_per_pixel; }
        const char* Get_Name() override { return "(made in memory)"; }

        std::uint32_t* Pixels32() { return reinterpret_cast<std::uint32_t*>(m_bytes.data()); }
        std::uint8_t* Bytes() { return m_bytes.data(); }

    private:
        int m_width;
        int m_height;
        int m_bytes_per_pixel;
        std::vector<std::uint8_t> m_bytes;
    };

    // A maker of one image; a name with no maker loads as the empty texture.
    using Image_Maker = Ryx_Lib::Single<Ryx_Vektu::Texture> (*)();

    inline std::map<std::string, Image_Maker>& Image_Set()
    {
        static std::map<std::string, Image_Maker> set;
        return set;
    }

    inline Ryx_Lib::Single<Ryx_Vektu::Texture> Load_From_Set(const char* path)
    {
        auto found = Image_Set().find(path);
        if (found == Image_Set().end())
            return Ryx_Lib::Single<Ryx_Vektu::Texture>(new Image_Texture(0, 0, 4));
        return found->second();
    }

    // Every pixel one colour, 4 bytes a pixel.
    inline Ryx_Lib::Single<Ryx_Vektu::Texture> Uniform_Texture(int width, int height, std::uint32_t colour)
    {
        auto* t = new Image_Texture(width, height, 4);
        for (int k = 0; k < width * height; ++k)
            t->Pixels32()[k] = colour;
        return Ryx_Lib::Single<Ryx_Vektu::Texture>(t);
    }

    // One grey byte a pixel.
    inline Ryx_Lib::Single<Ryx_Vektu::Texture> Uniform_Picture(int width, int height, std::uint8_t grey)
    {
        auto* t = new Image_Texture(width, height, 1);
        if (width > 0 && height > 0)
            std::memset(t->Bytes(), grey, std::size_t(width) * height);
        return Ryx_Lib::Single<Ryx_Vektu::Texture>(t);
    }

    // The timer and the music the scenes reach through Get_Timer and
    // Get_Music, with the time and the playing position set by hand.
    class Scene_Clock
    {
    public:
        Scene_Clock() : m_timer(Ryx_Vektu::Create_Timer()), m_music("no-such-module.xm", nullptr, true) {}
        ~Scene_Clock()
        {
            Ryx_Platform::Audio_Script_Position(-1);
            Ryx_Platform::Use_Real_Time();
        }
        Scene_Clock(const Scene_Clock&) = delete;
        Scene_Clock& operator=(const Scene_Clock&) = delete;

        // order and row are the playing position; Get_Pos reads one row on.
        void Set(double seconds, int order, int row)
        {
            Ryx_Platform::Set_Virtual_Time(static_cast<std::uint32_t>(seconds * 1000.0 + 0.5));
            m_timer->Update();
            Ryx_Platform::Audio_Script_Position(std::int64_t(order) | std::int64_t(row) << 16);
        }

    private:
        Ryx_Lib::Single<Ryx_Vektu::Timer> m_timer;
        Ryx_Vektu::Music_Impl m_music;
    };
}
