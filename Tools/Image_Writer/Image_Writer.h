// Image files from pixels in memory: TGA in every form the show's loader
// reads, JPEG through libjpeg, PNG through libpng, and the JPEG scrambler.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Ryx_Tools
{
    struct Tga_Options
    {
        int depth = 32;                  // 8, 15, 16, 24 or 32 bits per pixel
        bool run_length = false;         // types 9-11 instead of 1-3
        bool colour_map = false;         // type 1/9; the map is written and skipped by the loader
        int colour_map_entry_bits = 24;  // 15, 16, 24 or 32
        int colour_map_length = 256;
        std::string image_id;            // written after the header, skipped by the loader
        std::uint8_t descriptor = 0x20;  // written as is: orientation bits and alpha bits
    };

    // pixels: rows top to bottom, bytes as Load_TGA_Texture should return them
    // (1, 2, 3 or 4 bytes per pixel by depth). The file is laid out so that the
    // loader, following the descriptor, gives back exactly these bytes.
    std::vector<std::uint8_t> Encode_TGA(int width, int height, const std::uint8_t* pixels, const Tga_Options& options);

    // pixels: 0xAARRGGBB, rows top to bottom; alpha ignored. grey writes one component.
    std::vector<std::uint8_t> Encode_JPEG(int width, int height, const std::uint32_t* pixels, int quality = 90,
                                          bool grey = false);

    // pixels: 0xAARRGGBB; written as 8-bit RGB without alpha.
    std::vector<std::uint8_t> Encode_PNG(int width, int height, const std::uint32_t* pixels, int compression = 6);

    // XORs the show's key stream over the bytes; applying it twice restores them.
    void Scramble(std::vector<std::uint8_t>& bytes);

    // Writes through a temporary file and a rename: never a half-written file.
    bool Write_File(const std::string& path, const std::vector<std::uint8_t>& bytes);
}
