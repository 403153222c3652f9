// A Window over a plain buffer of any size, for drawing tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>
#include "Code/Window.h"

namespace Ryx_Test
{
    class Memory_Window : public Ryx_Vektu::Window
    {
    public:
        Memory_Window(std::uint32_t width = 640, std::uint32_t height = 480)
            : m_width(width), m_height(height), m_pixels(std::size_t(width) * height, 0u)
        {}

        void Begin_Frame(std::int32_t mode) override
        {
            if (mode == 1)
                Clear();
            else if (mode == 2)
                for (std::uint32_t& p : m_pixels)
                    p = (p >> 1) & 0x7F7F7F7Fu;
        }
        std::int32_t Present() override
        {
            ++m_presents;
            return 0;
        }
        std::uint32_t* Get_Buffer() override { return m_pixels.data(); }
        std::uint32_t Get_Width() override { return m_width; }
        std::uint32_t Get_Height() override { return m_height; }
        std::uint32_t Get_Bits_Per_Pixel() override { return 32; }
        std::uint32_t Get_Bytes_Per_Pixel() override { return 4; }
        void Clear() override
        {
            ++m_clears;
            std::memset(m_pixels.data(), 0, m_pixels.size() * 4);
        }

        std::uint32_t& At(std::uint32_t x, std::uint32_t y) { return m_pixels[std::size_t(y) * m_width + x]; }
        std::vector<std::uint32_t>& Pixels() { return m_pixels; }
        int Presents() const { return m_presents; }
        int Clears() const { return m_clears; }

    private:
        std::uint32_t m_width;
        std::uint32_t m_height;
        std::vector<std::uint32_t> m_pixels;
        int m_presents = 0;
        int m_clears = 0;
    };
}
