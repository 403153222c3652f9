// An image in memory that scenes and the grid read through a pixel pointer.
//
// Pixels are one block, rows top to bottom, no padding. A loader that cannot
// make sense of its file returns an empty texture: 0 x 0, no pixels.
#pragma once
#include <cstdint>
#include <span>
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Texture
    {
    public:
        virtual int Get_Width() = 0;
        virtual int Get_Height() = 0;
        virtual void* Get_Pixels() = 0;
        virtual int Get_Bytes_Per_Pixel() = 0;
        // Where the pixels came from (a file's path), for messages.
        virtual const char* Get_Name() = 0;
        virtual ~Texture() = default;
    };

    // Where a scene gets its pictures from: the loaders below in the show,
    // pictures made in memory in tests.
    using Texture_Loader = Ryx_Lib::Single<Texture> (*)(const char* path);

    // 1, 2, 3 or 4 bytes per pixel, the bytes as the file stores them, top row first.
    Ryx_Lib::Single<Texture> Load_TGA_Texture(const char* path);
    // 4 bytes per pixel, 0xFFRRGGBB; plain or scrambled files.
    Ryx_Lib::Single<Texture> Load_JPG_Texture(const char* path);

    // The same decoders on the bytes of a file already in memory; name stands
    // for the file in messages and in Get_Name. Nothing past the span is read.
    Ryx_Lib::Single<Texture> Decode_TGA(std::span<const std::uint8_t> bytes, const char* name);
    Ryx_Lib::Single<Texture> Decode_JPG(std::span<const std::uint8_t> bytes, const char* name);
}
