// The check that decides, once at load, how many bytes of a line scene's
// greyscale image may be laid over the frame (Code/Overlay.h lays them).
#pragma once
#include <cstddef>

namespace Ryx_Vektu
{
    class Texture;

    // How many bytes of the image an overlay may lay into room pixels: 0 for
    // a missing or not 8-bit image; the smaller of its pixel count and room
    // otherwise. Reports on stderr, naming the file, when the image is unusable
    // or its pixel count is not what the scene expects (fewer than want_at_least
    // or more than room).
    std::size_t Usable_Overlay_Bytes(Texture* image, const char* path, std::size_t want_at_least, std::size_t room);
}
