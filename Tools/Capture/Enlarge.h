// Upscaled output for video sites: every pixel repeated N times across and
// down (nearest neighbour, so pixels stay square and sharp), the picture
// centred in a frame of a chosen shape with black bars.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Ryx_Capture
{
    struct Frame_Layout
    {
        int source_width = 640, source_height = 480;
        int scale = 1;
        int width = 640, height = 480;  // the frame written
        int x = 0, y = 0;               // where the enlarged picture starts in it
    };

    // pad_width:pad_height 0:0 for no bars. The frame is the smallest of that
    // shape that holds the enlarged picture, its sides and offsets even so that
    // the picture lands on whole 4:2:0 chroma samples.
    Frame_Layout Make_Layout(int source_width, int source_height, int scale, int pad_width, int pad_height);

    // The whole frame, bars included: source rows of `source_stride` values,
    // out rows of `out_stride` values. `sub` divides the layout for a 4:2:0
    // chroma plane (1 for luma and for 32-bit pixels).
    void Enlarge(const std::uint32_t* source, std::ptrdiff_t source_stride, const Frame_Layout& layout,
                 std::uint32_t* out, std::ptrdiff_t out_stride, std::uint32_t black);
    void Enlarge_Plane(const std::uint8_t* source, std::ptrdiff_t source_stride, const Frame_Layout& layout, int sub,
                       std::uint8_t* out, std::ptrdiff_t out_stride, std::uint8_t black);

    // A frame as a PNG file's bytes at that zlib level, enlarged first when
    // the layout asks for it.
    std::vector<std::uint8_t> Encode_Frame_PNG(const std::uint32_t* pixels, const Frame_Layout& layout, int level);
}
