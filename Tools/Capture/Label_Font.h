// Short text labels drawn onto a picture with FreeType (DejaVu Sans).
#pragma once
#include <cstdint>
#include <string>

namespace Ryx_Capture
{
    // Draws text with its baseline at (x, y), blending the colour by glyph
    // coverage, clipped to the picture. False when no font could be loaded.
    bool Draw_Label(std::uint32_t* pixels, int width, int height, int x, int y, const std::string& text, int size,
                    std::uint32_t colour);
}
