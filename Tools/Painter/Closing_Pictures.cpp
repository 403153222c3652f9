// The closing scene's graphics, laid from screen row 60 over teal lines: one
// per drum sound, and four for the stutter. Bold, centred, glowing shapes.
#include "Tools/Painter/Noise.h"
#include "Tools/Painter/Pictures.h"
#include "Tools/Painter/Shapes.h"

namespace Ryx_Painter
{
    namespace
    {
        const int W = 640, H = 360;
        const float Cx = 320, Cy = 180;

        void Finish(Grey_Image& image, int radius, float strength)
        {
            Add_Glow(image, radius, strength);
            Clear_Haze(image);
        }
    }

    Grey_Image Paint_Drum(int index)
    {
        Grey_Image image(W, H);
        switch (index)
        {
        case 0:
        {
            // Kick: a solid core and the shock rings it throws off.
            Paint(image, Disc(Cx, Cy, 62), 1.0f);
            for (int r = 0; r < 4; ++r)
                Paint(image, Ring(Cx, Cy, 90.0f + r * 25, 11.0f - r * 2.0f), 0.9f - r * 0.16f);
            Finish(image, 10, 0.5f);
            return image;
        }
        case 1:
        {
            // Snare: a burst of sharp spikes and flying splinters.
            for (int s = 0; s < 18; ++s)
            {
                float a = s * 2 * Pi / 18 + 0.3f * Hash01(s, 111);
                float length = 90 + 80 * Hash01(s, 112);
                float half = 0.11f;
                Paint(image,
                      Polygon({Cx + std::cos(a - half) * 36, Cy + std::sin(a - half) * 36, Cx + std::cos(a) * length,
                               Cy + std::sin(a) * length, Cx + std::cos(a + half) * 36, Cy + std::sin(a + half) * 36}),
                      0.95f, Blend::Max, int(Cx - 180), 0, int(Cx + 181), H);
            }
            Paint(image, Disc(Cx, Cy, 42), 1.0f);
            for (int p = 0; p < 40; ++p)
            {
                float a = Hash01(p, 113) * 2 * Pi, d = 150 + 100 * Hash01(p, 114);
                float x = Cx + std::cos(a) * d * 1.3f, y = Cy + std::sin(a) * d * 0.7f;
                float s = 2 + 4 * Hash01(p, 115);
                Paint(image, Box(x - s, y - s, x + s, y + s), 0.7f, Blend::Max, int(x - s) - 1, int(y - s) - 1,
                      int(x + s) + 2, int(y + s) + 2);
            }
            break;
        }
        default:
        {
            // The two shots: one slash each way, speed lines along it, so
            // the pair reads as a cross.
            float dir = index == 2 ? 1.0f : -1.0f;
            float x0 = Cx - 230 * dir, y0 = Cy + 150, x1 = Cx + 230 * dir, y1 = Cy - 150;
            Paint(image, Segment(x0, y0, x1, y1, 36), 1.0f);
            float nx = -(y1 - y0), ny = x1 - x0;
            float length = std::hypot(nx, ny);
            nx /= length, ny /= length;
            for (int l = 0; l < 14; ++l)
            {
                float offset = (l - 6.5f) * 12 + (l < 7 ? -30.0f : 30.0f);
                float t0 = 0.1f + 0.4f * Hash01(l, 121 + index), t1 = t0 + 0.2f + 0.3f * Hash01(l, 122 + index);
                Paint(image,
                      Segment(x0 + (x1 - x0) * t0 + nx * offset, y0 + (y1 - y0) * t0 + ny * offset,
                              x0 + (x1 - x0) * t1 + nx * offset, y0 + (y1 - y0) * t1 + ny * offset, 3),
                      0.7f);
            }
            break;
        }
        }
        Finish(image, 16, 0.6f);
        return image;
    }

    // Four shapes that the stutter flips between: square, diamond, a ring of
    // dots and a triangle, each in outline with a bright centre.
    Grey_Image Paint_Stutter(int index)
    {
        Grey_Image image(W, H);
        switch (index)
        {
        case 0:
            Paint(image, Box(Cx - 130, Cy - 130, Cx + 130, Cy + 130), 1.0f);
            Paint(image, Box(Cx - 110, Cy - 110, Cx + 110, Cy + 110), 1.0f, Blend::Erase);
            Paint(image, Box(Cx - 40, Cy - 40, Cx + 40, Cy + 40), 0.8f);
            break;
        case 1:
            Paint(image, Polygon({Cx, Cy - 170, Cx + 170, Cy, Cx, Cy + 170, Cx - 170, Cy}), 1.0f);
            Paint(image, Polygon({Cx, Cy - 142, Cx + 142, Cy, Cx, Cy + 142, Cx - 142, Cy}), 1.0f, Blend::Erase);
            Paint(image, Polygon({Cx, Cy - 50, Cx + 50, Cy, Cx, Cy + 50, Cx - 50, Cy}), 0.8f);
            break;
        case 2:
            for (int d = 0; d < 12; ++d)
            {
                float a = d * 2 * Pi / 12;
                Paint(image, Disc(Cx + std::cos(a) * 140, Cy + std::sin(a) * 140, 18), 1.0f);
            }
            Paint(image, Disc(Cx, Cy, 46), 0.8f);
            break;
        default:
            Paint(image, Polygon({Cx, Cy - 165, Cx + 160, Cy + 120, Cx - 160, Cy + 120}), 1.0f);
            Paint(image, Polygon({Cx, Cy - 125, Cx + 126, Cy + 100, Cx - 126, Cy + 100}), 1.0f, Blend::Erase);
            Paint(image, Disc(Cx, Cy + 30, 34), 0.8f);
            break;
        }
        Finish(image, 22, 0.7f);
        return image;
    }
}
