// The greyscale overlay, 16 pixels at a time in the compiler's portable
// vector types: the same Saturating_Add, four lanes wide, so the pixels are
// exactly those of the one-pixel loop that finishes the tail.
#include "Code/Overlay.h"

#include <cstring>
#include "Code/Saturating_Add.h"

namespace Ryx_Vektu
{
    namespace
    {
        typedef std::uint32_t Lanes_32 __attribute__((vector_size(16)));
        typedef std::uint16_t Lanes_16 __attribute__((vector_size(16)));
        typedef std::uint8_t Lanes_8 __attribute__((vector_size(16)));
    }

    void Add_Greyscale(std::uint32_t* pixels, const std::uint8_t* image, std::size_t count)
    {
        std::size_t i = 0;
        const Lanes_8 zero = {};
        for (; i + 16 <= count; i += 16)
        {
            Lanes_8 g;
            std::memcpy(&g, image + i, 16);
            const Lanes_8 e = g & 0xFE;
            // Interleaving builds the grey already masked as Saturating_Add
            // masks it: blue g, green g & 0xFE, red g & 0xFE, top byte 0.
            const Lanes_16 blue_green_0 =
                (Lanes_16)__builtin_shufflevector(g, e, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
            const Lanes_16 blue_green_1 =
                (Lanes_16)__builtin_shufflevector(g, e, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
            const Lanes_16 red_0 =
                (Lanes_16)__builtin_shufflevector(e, zero, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
            const Lanes_16 red_1 = (Lanes_16)__builtin_shufflevector(e, zero, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13,
                                                                     29, 14, 30, 15, 31);
            const Lanes_32 grey[4] = {
                (Lanes_32)__builtin_shufflevector(blue_green_0, red_0, 0, 8, 1, 9, 2, 10, 3, 11),
                (Lanes_32)__builtin_shufflevector(blue_green_0, red_0, 4, 12, 5, 13, 6, 14, 7, 15),
                (Lanes_32)__builtin_shufflevector(blue_green_1, red_1, 0, 8, 1, 9, 2, 10, 3, 11),
                (Lanes_32)__builtin_shufflevector(blue_green_1, red_1, 4, 12, 5, 13, 6, 14, 7, 15)};
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k)
            {
                Lanes_32 a;
                std::memcpy(&a, pixels + i + 4 * k, 16);
                const Lanes_32 s = (a & 0x00FEFEFFu) + grey[k];
                const Lanes_32 m = s & 0x01010100u;
                const Lanes_32 sum = s | (m - (m >> 8)) | 0xFF000000u;
                std::memcpy(pixels + i + 4 * k, &sum, 16);
            }
        }
        for (; i < count; ++i)
            pixels[i] = Saturating_Add(pixels[i], std::uint32_t(image[i]) * 0x010101u);
    }
}
