// The reading record of the TGA decoder: the header as stored, and the pixel
// bytes in memory order once Read has oriented them. Lives only inside one
// call of Load_TGA_Texture or Decode_TGA.
#pragma once
#include <cstddef>
#include <cstdint>

#include "Code/Byte_Source.h"

namespace Ryx_Vektu
{
    // The 18 bytes at the start of a TGA file, decoded from little-endian.
    struct TGA_Header
    {
        std::uint8_t id_length = 0;
        std::uint8_t colour_map_type = 0;
        std::uint8_t image_type = 0;
        std::uint16_t first_entry = 0;
        std::int16_t colour_map_length = 0;
        std::uint8_t colour_map_entry_size = 0;
        std::uint16_t x_origin = 0;
        std::uint16_t y_origin = 0;
        std::int16_t width = 0;
        std::int16_t height = 0;
        std::uint8_t pixel_depth = 0;
        std::uint8_t descriptor = 0;
    };

    class TGA_Image
    {
    public:
        TGA_Image() = default;
        ~TGA_Image() { Release(); }
        TGA_Image(const TGA_Image&) = delete;
        TGA_Image& operator=(const TGA_Image&) = delete;

        // True with a pixel buffer; false, with one line on stderr naming the
        // file and the reason, when there is nothing to show. Lines begin
        // with who (the function the caller called), then name (the file).
        bool Read(Byte_Source& source, const char* who, const char* name);
        // Positive mirror_x reverses columns, positive mirror_y reverses rows.
        void Flip(int mirror_x, int mirror_y);
        void Release();

        const TGA_Header& Get_Header() const { return m_header; }
        int Get_Bytes_Per_Pixel() const { return m_bytes_per_pixel; }
        const std::uint8_t* Get_Pixels() const { return m_pixels; }
        std::size_t Get_Size() const;

    private:
        TGA_Header m_header;
        int m_bytes_per_pixel = 0;
        std::uint8_t* m_pixels = nullptr;
    };

    // 8 -> 1, 15 and 16 -> 2, 24 -> 3, 32 -> 4; anything else 0.
    int TGA_Bytes_For_Bits(int bits);
}
