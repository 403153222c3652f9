// The capture's virtual clock and its record of a frame. Frame n of a show at
// fps frames a second is drawn at n / fps seconds, in whole milliseconds on
// the show's timer, once the sound has been pulled to sample n × rate / fps.
// The capture, its measure of the show, the encoder-alone timing and the
// Windows frame test must agree to the millisecond and the sample, and hash a
// frame the same way, so they all take both from here.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Platform/Audio_Rate.h"

namespace Ryx_Capture
{
    using Ryx_Platform::Audio_Rate;
    constexpr int Show_Orders = 36;  // the show ends when order 36 starts

    inline std::uint32_t Frame_Milliseconds(std::uint64_t frame, int fps)
    {
        return std::uint32_t(frame * 1000 / std::uint64_t(fps));
    }

    inline std::uint64_t Frame_Sample(std::uint64_t frame, int fps)
    {
        return frame * std::uint64_t(Audio_Rate) / std::uint64_t(fps);
    }

    // FNV-1a over the three shown bytes of each pixel (the top byte is not
    // shown), and the mean of those bytes: the capture log's two figures.
    struct Frame_Print
    {
        std::uint64_t hash = 14695981039346656037ull;
        double brightness = 0;
    };

    inline Frame_Print Print_Frame(const std::uint32_t* pixels, std::size_t count)
    {
        Frame_Print print;
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < count; ++i)
        {
            std::uint32_t p = pixels[i];
            for (int shift = 0; shift < 24; shift += 8)
                print.hash = (print.hash ^ ((p >> shift) & 255)) * 1099511628211ull;
            sum += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
        }
        print.brightness = count ? double(sum) / (3.0 * double(count)) : 0.0;
        return print;
    }
}
