// Greyscale images laid additively over the frame by the line scenes, and the
// check that decides, once at load, how many of an image's bytes may be laid.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Code/Saturating_Add.h"

namespace Ryx_Vektu
{
    class Texture;

    // Adds byte i of the image, as a grey v * 0x010101, to pixel i of the
    // frame, for i below count.
    // The image never lies inside the frame buffer; saying so, and asking for
    // the vectorizer's cheap model, lets the compiler add four pixels at a
    // time (integer work: the same bytes either way).
#if defined(__GNUC__) && !defined(__clang__)
    __attribute__((optimize("tree-vectorize", "vect-cost-model=cheap")))
#endif
    inline void Add_Grey_Overlay(std::uint32_t* __restrict frame, const std::uint8_t* __restrict bytes,
                                 std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            frame[i] = Saturating_Add(frame[i], std::uint32_t(bytes[i]) * 0x010101u);
    }

    // How many bytes of the image an overlay may lay into room pixels: 0 for
    // a missing or not 8-bit image; the smaller of its pixel count and room
    // otherwise. Reports on stderr, naming the file, when the image is unusable
    // or its pixel count is not what the scene expects (fewer than want_at_least
    // or more than room).
    std::size_t Usable_Overlay_Bytes(Texture* image, const char* path,
                                     std::size_t want_at_least, std::size_t room);
}
