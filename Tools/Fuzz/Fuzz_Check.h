// Shared by the fuzz targets: every texture that comes back is checked and
// read in full, so that the sanitizers see any pixel block that is shorter
// than it claims.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Code/Texture.h"

namespace Ryx_Fuzz
{
    inline void Check(Ryx_Vektu::Texture* texture, bool any_bytes_per_pixel)
    {
        if (!texture)
            std::abort();
        const int w = texture->Get_Width(), h = texture->Get_Height(), bpp = texture->Get_Bytes_Per_Pixel();
        const auto* pixels = static_cast<const volatile std::uint8_t*>(texture->Get_Pixels());
        if (!pixels)
        {
            if (w != 0 || h != 0)
                std::abort();
            return;
        }
        if (w <= 0 || h <= 0 || bpp < 1 || bpp > 4 || (!any_bytes_per_pixel && bpp != 4))
            std::abort();
        unsigned sum = 0;
        const std::size_t size = std::size_t(w) * std::size_t(h) * std::size_t(bpp);
        for (std::size_t i = 0; i < size; ++i)
            sum += pixels[i];
        if (!any_bytes_per_pixel)
            for (std::size_t i = 3; i < size; i += 4)
                if (pixels[i] != 0xFF)
                    std::abort();
        (void)sum;
    }
}
