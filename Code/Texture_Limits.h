// The largest image the texture loaders accept, in pixels. Texture files are
// untrusted: a 20-byte file may claim 32767 x 32767 pixels, and the loaders
// refuse that before allocating anything. The show's largest picture is
// 640 x 480. The fuzz build lowers the bound to keep each run quick.
#pragma once
#include <cstddef>

#ifndef RYX_MAX_TEXTURE_PIXELS
#define RYX_MAX_TEXTURE_PIXELS (8192u * 8192u)
#endif

namespace Ryx_Vektu
{
    constexpr std::size_t Max_Texture_Pixels = RYX_MAX_TEXTURE_PIXELS;
}
