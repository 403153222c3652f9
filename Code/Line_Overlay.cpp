#include "Code/Line_Overlay.h"

#include <cstdio>
#include "Code/Texture.h"

namespace Ryx_Vektu
{
    std::size_t Usable_Overlay_Bytes(Texture* image, const char* path, std::size_t want_at_least, std::size_t room)
    {
        if (!image || !image->Get_Pixels() || image->Get_Width() <= 0 || image->Get_Height() <= 0)
        {
            std::fprintf(stderr, "%s: missing or empty image, not shown\n", path);
            return 0;
        }
        if (image->Get_Bytes_Per_Pixel() != 1)
        {
            std::fprintf(stderr, "%s: %d bytes per pixel, not an 8-bit image, not shown\n", path,
                         image->Get_Bytes_Per_Pixel());
            return 0;
        }
        std::size_t pixels = std::size_t(image->Get_Width()) * std::size_t(image->Get_Height());
        if (pixels < want_at_least)
            std::fprintf(stderr, "%s: %dx%d is smaller than the screen, only its pixels are laid\n", path,
                         image->Get_Width(), image->Get_Height());
        if (pixels > room)
            std::fprintf(stderr, "%s: %dx%d does not fit, only the first %zu pixels are laid\n", path,
                         image->Get_Width(), image->Get_Height(), room);
        return pixels < room ? pixels : room;
    }
}
