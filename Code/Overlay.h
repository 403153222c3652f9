// The greyscale overlay of the line and attractor scenes: each 8-bit image
// byte v is added to its pixel as the grey v * 0x010101, with saturation.
#pragma once
#include <cstddef>
#include <cstdint>

namespace Ryx_Vektu
{
    // pixels[i] = Saturating_Add(pixels[i], image[i] * 0x010101) for i < count.
    void Add_Greyscale(std::uint32_t* pixels, const std::uint8_t* image, std::size_t count);
}
