// The full-screen display behind the Window interface: the frame buffer in
// ordinary memory, copied once a frame into the display's back buffer (as is
// at 32 bits, converted to 5-6-5 at 16) and flipped.
#pragma once
#include <cstdint>
#include <memory>
#include "Code/Window.h"
#include "Lib/Single.h"

namespace Ryx_Platform
{
    class Display;
}

namespace Ryx_Vektu
{
    class DX_Window : public Window
    {
    public:
        DX_Window(void* instance, void* window, std::uint32_t width, std::uint32_t height, std::uint32_t bits);
        ~DX_Window() override;
        DX_Window(const DX_Window&) = delete;
        DX_Window& operator=(const DX_Window&) = delete;

        void Begin_Frame(std::int32_t mode) override;
        std::int32_t Present() override;
        std::uint32_t* Get_Buffer() override;
        std::uint32_t Get_Width() override;
        std::uint32_t Get_Height() override;
        std::uint32_t Get_Bits_Per_Pixel() override;
        std::uint32_t Get_Bytes_Per_Pixel() override;
        void Clear() override;

        // The display's depth (32, or 16 when 32 failed); the frame buffer
        // stays 32 bits either way.
        std::uint32_t Get_Display_Bits() const { return m_bits; }

    private:
        [[maybe_unused]] void* m_instance;
        [[maybe_unused]] void* m_hwnd;
        std::uint32_t m_width;
        std::uint32_t m_height;
        std::uint32_t m_bits;
        std::uint32_t m_bytes;
        std::unique_ptr<std::uint32_t[]> m_buffer;
        // Stands for the whole flipping chain: device, primary and back buffer.
        Ryx_Platform::Display* m_draw = nullptr;
    };

    // 5 bits of red, 6 of green, 5 of blue: the top bits of each channel.
    inline std::uint16_t To_565(std::uint32_t p)
    {
        return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
    }

    Ryx_Lib::Single<Window> Create_DX_Window(void* instance, void* window, std::uint32_t width, std::uint32_t height,
                                             std::uint32_t bits);
}
