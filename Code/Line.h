// The anti-aliased additive line of the line scenes.
#pragma once
#include <cstdint>

namespace Ryx_Vektu
{
    class Window;

    // Adds a two-pixel-wide line of the colour into the window's frame buffer,
    // clipped 2 pixels inside its edges, saturating each channel.
    void Draw_AA_Line(Window* window, std::uint32_t colour, float x0, float y0, float x1, float y1);
}
