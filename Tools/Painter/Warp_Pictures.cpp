// The warp's textures and its glitch layer. The warp magnifies its textures
// from a few texels to many repeats, so each one carries structure from the
// whole tile down to single pixels, and wraps in both directions.
#include "Tools/Painter/Gradient.h"
#include "Tools/Painter/Noise.h"
#include "Tools/Painter/Pictures.h"
#include "Tools/Painter/Shapes.h"

#include <string>

namespace Ryx_Painter
{
    namespace
    {
        float Frac(float v) { return v - std::floor(v); }
    }

    // Orders 22 to 25: marbled bands of colour, folded by warped noise, with
    // thin contour lines that stay sharp under magnification.
    Colour_Image Paint_Marble()
    {
        return Fill(256, 256, [](float u, float v) {
            // Smooth folds at the large scale: noise warped by noise.
            float qu = Fractal_Noise(u, v, 2, 4, 0.5f, 51);
            float qv = Fractal_Noise(u, v, 2, 4, 0.5f, 52);
            float t = Fractal_Noise(Frac(u + 0.35f * qu + 1), Frac(v + 0.35f * qv + 1), 2, 4, 0.45f, 53);
            float bands = t * 1.3f + 0.3f * qu;
            Rgb colour = Cosine_Palette(bands, {0.5f, 0.4f, 0.5f}, {0.5f, 0.45f, 0.5f}, {1.0f, 1.0f, 1.0f},
                                        {0.0f, 0.18f, 0.42f});
            // Thin dark veins follow the folds; fine ridges give the close-up
            // something to show when the warp dives into a few texels.
            float contour = std::fabs(Frac(bands * 7.0f) - 0.5f) * 2.0f;
            colour = colour * (0.45f + 0.55f * Smooth_Step(0.0f, 0.3f, contour));
            float fine = Ridged_Noise(u, v, 32, 3, 0.5f, 54);
            return colour * (0.8f + 0.3f * fine);
        });
    }

    // From order 26, alternating with the green: ice-blue crystal cells at
    // three scales, bright along their facets.
    Colour_Image Paint_Blue_Crystal()
    {
        const Ramp ice{{0.0f, Hex(0x01030E)},
                       {0.4f, Hex(0x06185A)},
                       {0.7f, Hex(0x1460E0)},
                       {0.9f, Hex(0x60D0FF)},
                       {1.0f, Hex(0xF0FFFF)}};
        return Fill(256, 256, [&](float u, float v) {
            float light = 0;
            float weight = 1.0f;
            // Cell counts that divide the tile's 256 pixels: every cell meets
            // the pixel grid the same way, the wrap included.
            const int levels[3] = {4, 16, 32};
            for (int cells : levels)
            {
                Cell_Sample c = Cellular(u, v, cells, 61 + 7 * cells);
                float facet = Smooth_Step(0.12f, 0.0f, c.f2 - c.f1);
                float body = 0.4f * Hash01(c.id, 62) * (1.0f - c.f1);
                light += weight * (facet + body);
                weight *= 0.55f;
            }
            float mist = 0.5f + 0.5f * Fractal_Noise(u, v, 4, 6, 0.6f, 63);
            return ice(Clamp01(light * 0.55f + mist * 0.35f));
        });
    }

    // From order 26, alternating with the blue: acid-green veins over black
    // moss, a fine lattice of dots beneath them.
    Colour_Image Paint_Green_Veins()
    {
        const Ramp acid{{0.0f, Hex(0x000500)},
                        {0.35f, Hex(0x0A2A04)},
                        {0.65f, Hex(0x3AA010)},
                        {0.88f, Hex(0xB0FF30)},
                        {1.0f, Hex(0xF8FFD0)}};
        return Fill(256, 256, [&](float u, float v) {
            float wu = 0.08f * Fractal_Noise(u, v, 2, 4, 0.5f, 71);
            float wv = 0.08f * Fractal_Noise(u, v, 2, 4, 0.5f, 72);
            float veins = Ridged_Noise(Frac(u + wu + 1), Frac(v + wv + 1), 3, 7, 0.6f, 73);
            veins = std::pow(veins, 3.0f);
            float moss = 0.5f + 0.5f * Fractal_Noise(u, v, 8, 5, 0.6f, 74);
            float dots = Smooth_Step(0.32f, 0.18f, std::hypot(Frac(u * 32) - 0.5f, Frac(v * 32) - 0.5f));
            return acid(Clamp01(veins * 0.95f + moss * 0.25f + dots * 0.12f * moss));
        });
    }

    // The glitch layer slides sideways by up to a few hundred pixels, so its
    // shapes stay in the middle; only rows 10 to 329 are ever drawn.
    Grey_Image Paint_Glitch(Fonts& fonts, int index)
    {
        const int w = 640, h = 340;
        Grey_Image image(w, h);
        const float cx = 320, cy = 170;
        switch (index)
        {
        case 0:
        {
            // A barcode of data with its digits beneath.
            float x = 190;
            int bar = 0;
            while (x < 450)
            {
                float width = 2 + 9 * Hash01(bar, 81);
                float level = 0.45f + 0.5f * Hash01(bar, 82);
                float top = 60 + 30 * Hash01(bar, 83);
                Paint(image, Box(x, top, x + width, 250), level, Blend::Max, int(x) - 2, 40, int(x + width) + 3, 260);
                x += width + 2 + 6 * Hash01(bar, 84);
                ++bar;
            }
            std::string digits;
            for (int i = 0; i < 12; ++i)
                digits += static_cast<char>('0' + Hash(i, 85) % 10);
            fonts.mono.Draw_Centred(image, digits, 26, 320, 290, 0.85f, 4);
            break;
        }
        case 1:
        {
            // A sight: rings, ticks and a cross.
            Paint(image, Ring(cx, cy, 120, 6), 0.8f);
            Paint(image, Ring(cx, cy, 84, 2), 0.55f);
            Paint(image, Ring(cx, cy, 30, 10), 0.9f);
            for (int t = 0; t < 36; ++t)
            {
                float a = t * Pi / 18;
                float inner = (t % 3 == 0) ? 128 : 132;
                Paint(image,
                      Segment(cx + std::cos(a) * inner, cy + std::sin(a) * inner, cx + std::cos(a) * 146,
                              cy + std::sin(a) * 146, 3),
                      0.7f, Blend::Max, int(cx) - 160, int(cy) - 160, int(cx) + 160, int(cy) + 160);
            }
            Paint(image, Segment(cx - 160, cy, cx - 40, cy, 3), 0.75f);
            Paint(image, Segment(cx + 40, cy, cx + 160, cy, 3), 0.75f);
            Paint(image, Segment(cx, cy - 150, cx, cy - 40, 3), 0.75f);
            Paint(image, Segment(cx, cy + 40, cx, cy + 150, 3), 0.75f);
            break;
        }
        case 2:
        {
            // Torn memory: stacked runs of blocks at different levels.
            for (int row = 0; row < 24; ++row)
            {
                float y0 = 20 + row * 12.5f;
                float x = 150 + 60 * Hash01(row, 91);
                int run = 0;
                float end = 470 - 60 * Hash01(row, 92);
                while (x < end)
                {
                    float length = std::min(8 + 70 * Hash01(row, run, 93), end - x);
                    float level = Hash01(row, run, 94) > 0.3f ? 0.3f + 0.6f * Hash01(row, run, 95) : 0.0f;
                    if (level > 0)
                        Paint(image, Box(x, y0, x + length, y0 + 9), level, Blend::Max, int(x) - 1, int(y0) - 1,
                              int(x + length) + 2, int(y0) + 11);
                    x += length + 3;
                    ++run;
                }
            }
            break;
        }
        default:
        {
            // A word cut into slices that have slipped apart.
            Grey_Image word(w, h);
            fonts.bold.Draw_Centred(word, "SIGNAL", 84, 320, 200, 1.0f, 6);
            for (int y = 0; y < h; ++y)
            {
                int slice = y / 14;
                int shift = static_cast<int>((Hash01(slice, 101) - 0.5f) * 60);
                float level = 0.55f + 0.4f * Hash01(slice, 102);
                for (int x = 0; x < w; ++x)
                {
                    int sx = x - shift;
                    if (sx >= 0 && sx < w)
                        image.At(x, y) = word.At(sx, y) * level;
                }
            }
            Paint(image, Box(210, 222, 430, 227), 0.6f);
            break;
        }
        }
        Add_Glow(image, 10, 0.35f);
        Clear_Haze(image);
        return image;
    }
}
