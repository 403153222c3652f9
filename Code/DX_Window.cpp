// Placeholder display: a frame buffer in memory, presented nowhere.
#include "Code/DX_Window.h"

#include <cstring>
#include <vector>

namespace Ryx_Vektu
{
    namespace
    {
        class DX_Window : public Window
        {
        public:
            DX_Window(std::uint32_t width, std::uint32_t height)
                : m_width(width), m_height(height), m_buffer(std::size_t(width) * height, 0u) {}

            void Begin_Frame(std::int32_t mode) override
            {
                if (mode == 1)
                    std::memset(m_buffer.data(), 0, m_buffer.size() * 4);
                else if (mode == 2)
                    for (std::uint32_t& p : m_buffer)
                        p = (p >> 1) & 0x7F7F7F7Fu;
            }
            std::int32_t Present() override { return 0; }
            std::uint32_t* Get_Buffer() override { return m_buffer.data(); }
            std::uint32_t Get_Width() override { return m_width; }
            std::uint32_t Get_Height() override { return m_height; }
            std::uint32_t Get_Bits_Per_Pixel() override { return 32; }
            std::uint32_t Get_Bytes_Per_Pixel() override { return 4; }
            void Clear() override { std::memset(m_buffer.data(), 0, m_buffer.size() * 4); }

        private:
            std::uint32_t m_width;
            std::uint32_t m_height;
            std::vector<std::uint32_t> m_buffer;
        };
    }

    Ryx_Lib::Single<Window> Create_DX_Window(void*, void*, std::uint32_t width, std::uint32_t height,
                                             std::uint32_t)
    {
        return Ryx_Lib::Single<Window>(new DX_Window(width, height));
    }
}
