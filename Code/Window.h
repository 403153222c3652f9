// The frame buffer every scene draws into, and its presentation.
//
// Width x height pixels 0xAARRGGBB, row after row, row stride exactly the
// width. The top byte is never shown.
#pragma once
#include <cstdint>

namespace Ryx_Vektu
{
    class Window
    {
    public:
        // 1 clears to black, 2 halves every channel, anything else does nothing.
        virtual void Begin_Frame(std::int32_t mode) = 0;
        // 0 on success; a failed lock drops the frame and returns its error.
        virtual std::int32_t Present() = 0;
        virtual std::uint32_t* Get_Buffer() = 0;
        virtual std::uint32_t Get_Width() = 0;
        virtual std::uint32_t Get_Height() = 0;
        // Describe the frame buffer, not the display mode: always 32 and 4.
        virtual std::uint32_t Get_Bits_Per_Pixel() = 0;
        virtual std::uint32_t Get_Bytes_Per_Pixel() = 0;
        virtual void Clear() = 0;
        virtual ~Window() = default;
    };
}
