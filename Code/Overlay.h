// The greyscale overlay: each 8-bit image byte v is added to its pixel as the
// grey v * 0x010101, with saturation.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Code/Saturating_Add.h"

namespace Ryx_Vektu
{
    inline void Add_Greyscale(std::uint32_t* pixels, const std::uint8_t* image, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = Saturating_Add(pixels[i], std::uint32_t(image[i]) * 0x010101u);
    }
}
