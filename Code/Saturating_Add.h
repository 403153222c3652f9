// Adds two 0xAARRGGBB pixels channel by channel, saturating at 255, in one
// 32-bit computation. The lowest bits of red and green are dropped first so
// that the carries of blue and green land in the bits just cleared; each
// carry bit then becomes a full 0xFF mask for its channel.
#pragma once
#include <cstdint>

namespace Ryx_Vektu
{
    inline std::uint32_t Saturating_Add(std::uint32_t a, std::uint32_t b)
    {
        std::uint32_t s = (a & 0x00FEFEFFu) + (b & 0x00FEFEFFu);
        std::uint32_t m = s & 0x01010100u;
        return s | (m - (m >> 8)) | 0xFF000000u;
    }
}
