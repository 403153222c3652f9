// The program's icon for desktop menus: the tunnel's rings seen down the tube,
// crossed by the opening's string figure, on the show's night blue. Painted at
// each size from the same shapes (not scaled down), so small icons stay crisp.
#include "Tools/Painter/Pictures.h"
#include "Tools/Painter/Shapes.h"

#include <cmath>

namespace Ryx_Painter
{
    Colour_Image Paint_Icon(int size)
    {
        const float s = static_cast<float>(size);
        const float unit = s / 256.0f;  // the design is drawn on a 256-pixel grid
        Colour_Image icon(size, size);

        Grey_Image rings(size, size);
        for (int k = 0; k < 7; ++k)
        {
            // Each ring smaller and further along towards the vanishing point.
            float depth = std::pow(0.7f, static_cast<float>(k));
            float cx = s * (0.5f + 0.08f * (1.0f - depth));
            float cy = s * (0.5f - 0.06f * (1.0f - depth));
            float thickness = std::max(1.2f, 7.0f * unit * depth);
            Paint(rings, Ring(cx, cy, s * 0.42f * depth, thickness), 0.35f + 0.65f * depth);
        }
        Add_Glow(rings, std::max(1, static_cast<int>(6 * unit)), 0.8f);

        Grey_Image figure(size, size);
        const int points = 9;
        for (int i = 0; i < points; ++i)
        {
            int j = (i + 4) % points;
            float a = 2 * Pi * i / points - Pi / 2, b = 2 * Pi * j / points - Pi / 2;
            float r = s * 0.36f;
            Paint(figure,
                  Segment(s / 2 + r * std::cos(a), s / 2 + r * std::sin(a), s / 2 + r * std::cos(b),
                          s / 2 + r * std::sin(b), std::max(1.0f, 2.6f * unit)),
                  0.5f, Blend::Add);
        }
        Add_Glow(figure, std::max(1, static_cast<int>(4 * unit)), 0.6f);

        const Rgb night = Hex(0x04101C), deep = Hex(0x0B2A44), ring = Hex(0x36B4FF), line = Hex(0xFFB347);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
            {
                float dx = (x + 0.5f) / s - 0.5f, dy = (y + 0.5f) / s - 0.5f;
                Rgb c = Mix(deep, night, Clamp01(std::sqrt(dx * dx + dy * dy) * 1.8f));
                c = c + ring * rings.At(x, y) + line * figure.At(x, y);
                icon.At(x, y) = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
            }
        return icon;
    }
}
