#include "Code/DX_Window.h"

#include <cstring>
#include "Platform/Display.h"

using namespace Ryx_Platform;

namespace Ryx_Vektu
{
    DX_Window::DX_Window(void* instance, void* window, std::uint32_t width, std::uint32_t height, std::uint32_t bits)
        : m_instance(instance), m_hwnd(window), m_width(width), m_height(height), m_bits(32), m_bytes(4)
    {
        m_draw = Display_Create(window);
        // The mode is always 640 x 480, whatever the frame buffer's size.
        if (Display_Set_Mode(m_draw, 640, 480, 32) != DD_OK)
        {
            Display_Set_Mode(m_draw, 640, 480, 16);
            m_bits = 16;
            m_bytes = 2;
        }
        int shown = Display_Get_Bits(m_draw);
        m_bits = shown != 0 ? static_cast<std::uint32_t>(shown) : bits;
        if (m_bits == 16)
            m_bytes = 2;
        else if (m_bits == 32)
            m_bytes = 4;
        m_buffer = std::make_unique<std::uint32_t[]>(std::size_t(m_width) * m_height);  // all 0
    }

    DX_Window::~DX_Window() { Display_Release(m_draw); }

    void DX_Window::Begin_Frame(std::int32_t mode)
    {
        std::size_t count = std::size_t(m_width) * m_height;
        if (mode == 1)
            std::memset(m_buffer.get(), 0, count * 4);
        else if (mode == 2)
            for (std::size_t i = 0; i < count; ++i)
                m_buffer[i] = (m_buffer[i] >> 1) & 0x7F7F7F7Fu;
    }

    std::int32_t DX_Window::Present()
    {
        void* surface = nullptr;
        std::int32_t pitch = 0;
        HRESULT result = Display_Lock(m_draw, &surface, &pitch);
        if (result != DD_OK)
            return result;
        // The surface is 640 x 480 whatever the frame buffer's size: copy
        // only what both hold, one row at a time, since the pitch may exceed
        // a row's bytes.
        std::uint32_t rows = m_height < 480 ? m_height : 480;
        std::uint32_t columns = m_width < 640 ? m_width : 640;
        unsigned char* base = static_cast<unsigned char*>(surface);
        if (m_bits == 32)
        {
            for (std::uint32_t y = 0; y < rows; ++y)
                std::memcpy(base + std::ptrdiff_t(y) * pitch, m_buffer.get() + std::size_t(y) * m_width,
                            std::size_t(columns) * 4);
        }
        else if (m_bits == 16)
        {
            for (std::uint32_t y = 0; y < rows; ++y)
            {
                const std::uint32_t* from = m_buffer.get() + std::size_t(y) * m_width;
                std::uint16_t* to = reinterpret_cast<std::uint16_t*>(base + std::ptrdiff_t(y) * pitch);
                for (std::uint32_t x = 0; x < columns; ++x)
                    to[x] = To_565(from[x]);
            }
        }
        Display_Unlock(m_draw);
        return Display_Flip(m_draw);
    }

    std::uint32_t* DX_Window::Get_Buffer() { return m_buffer.get(); }
    std::uint32_t DX_Window::Get_Width() { return m_width; }
    std::uint32_t DX_Window::Get_Height() { return m_height; }
    std::uint32_t DX_Window::Get_Bits_Per_Pixel() { return 32; }
    std::uint32_t DX_Window::Get_Bytes_Per_Pixel() { return 4; }
    void DX_Window::Clear() { std::memset(m_buffer.get(), 0, std::size_t(m_width) * m_height * 4); }

    Ryx_Lib::Single<Window> Create_DX_Window(void* instance, void* window, std::uint32_t width, std::uint32_t height,
                                             std::uint32_t bits)
    {
        return Ryx_Lib::Single<Window>(new DX_Window(instance, window, width, height, bits));
    }
}
