// The tunnel's walls and the picture behind its closing band. The walls wrap
// in both directions (the tube repeats them along and around); u runs along
// the tube, v around it, and every feature is a whole number of repeats per
// tile so the wrap is invisible.
#include "Tools/Painter/Gradient.h"
#include "Tools/Painter/Noise.h"
#include "Tools/Painter/Pictures.h"
#include "Tools/Painter/Shapes.h"

namespace Ryx_Painter
{
    namespace
    {
        float Frac(float v) { return v - std::floor(v); }
    }

    // Orders 10 and 11, beats and a shaking view: a hot mosaic of cells, each
    // with rings of its own colour, dark grout between them.
    Colour_Image Paint_Krazy_Wall()
    {
        const Rgb hues[5] = {Hex(0xFF2A8C), Hex(0xFF9A1F), Hex(0x21E6FF), Hex(0xFFE640), Hex(0x8A3CFF)};
        return Fill(256, 256, [&](float u, float v) {
            float wobble_u = 0.04f * Fractal_Noise(u, v, 2, 3, 0.5f, 11);
            float wobble_v = 0.04f * Fractal_Noise(u, v, 2, 3, 0.5f, 12);
            Cell_Sample cell = Cellular(Frac(u + wobble_u + 1), Frac(v + wobble_v + 1), 6, 3);
            Rgb hue = hues[cell.id % 5];
            Rgb second = hues[(cell.id / 5) % 5];
            float rings = 0.5f + 0.5f * std::cos(cell.f1 * 26.0f);
            Rgb colour = Mix(hue * 0.35f, Mix(hue, second, 0.35f), Smooth_Step(0.3f, 0.7f, rings));
            // A hot core in each cell, dark grout along the cell edges.
            colour = colour + Hex(0xFFF4E0) * (0.7f * Smooth_Step(0.22f, 0.0f, cell.f1));
            float edge = cell.f2 - cell.f1;
            colour = colour * Smooth_Step(0.04f, 0.12f, edge);
            colour = colour + hue * (0.5f * Smooth_Step(0.14f, 0.04f, edge) * Smooth_Step(0.02f, 0.06f, edge));
            float grain = Fractal_Noise(u, v, 32, 3, 0.5f, 13);
            return colour * (0.9f + 0.1f * grain);
        });
    }

    // Orders 12 and 13: machined plates, bevelled, with light strips running
    // along the tube so the speed shows.
    Colour_Image Paint_Plated_Wall()
    {
        return Fill(256, 256, [](float u, float v) {
            // Plates are offset from the tile's edges, so the wrap runs through
            // the middle of a plate rather than along a joint.
            float su = u * 4 + 0.5f, sv = v * 8 + 0.25f;
            int column = static_cast<int>(su) % 4, row = static_cast<int>(sv) % 8;
            float pu = Frac(su), pv = Frac(sv);  // position inside the plate
            float shade = 0.55f + 0.3f * Hash01(column, row, 21);
            Rgb steel = Mix(Hex(0x3A4656), Hex(0x8C9AAE), shade);
            float grime = Fractal_Noise(u, v, 8, 5, 0.55f, 22);
            steel = steel * (0.8f + 0.25f * grime);
            // Brushed grain along the tube.
            steel = steel * (0.93f + 0.07f * Gradient_Noise(u * 4, v * 256, 4, 256, 23));
            // Bevel: lit top and left edges, dark bottom and right.
            float left = pu * 64, top = pv * 32, right = (1 - pu) * 64, bottom = (1 - pv) * 32;  // pixels
            float lit = Smooth_Step(3.0f, 0.0f, std::min(left, top));
            float dark = Smooth_Step(3.0f, 0.0f, std::min(right, bottom));
            steel = steel * (1.0f + 0.6f * lit - 0.75f * dark);
            // Rivets near the plate corners.
            for (float cu : {0.08f, 0.92f})
                for (float cv : {0.16f, 0.84f})
                {
                    float d = std::hypot((pu - cu) * 64, (pv - cv) * 32);
                    steel = Mix(steel, Hex(0xD8E2F0) * (1.2f - d * 0.25f), Smooth_Step(3.0f, 2.0f, d));
                }
            // Every other plate row carries a strip of light: cyan, or amber on
            // the odd plates, with a soft halo.
            Rgb light = (row % 4 == 1) ? Hex(0x30F0FF) : Hex(0xFFB030);
            if (row % 2 == 1)
            {
                float strip = std::fabs(pv - 0.5f) * 32;  // in pixels from the strip's middle
                float core = Smooth_Step(1.6f, 0.6f, strip);
                float halo = Smooth_Step(7.0f, 0.0f, strip) * 0.45f;
                float segments = Smooth_Step(0.0f, 0.04f, Frac(u * 16)) * Smooth_Step(1.0f, 0.92f, Frac(u * 16));
                steel = steel * (1.0f - 0.6f * Smooth_Step(5.0f, 2.0f, strip)) + light * ((core + halo) * segments) +
                    Hex(0xFFFFFF) * (core * segments * 0.4f);
            }
            return steel;
        });
    }

    // Order 14 to the end: red and rough. Ridged rock, cracked by cells, with
    // glowing seams deep in the cracks.
    Colour_Image Paint_Red_Wall()
    {
        const Ramp rock{{0.0f, Hex(0x0A0000)},
                        {0.35f, Hex(0x3C0404)},
                        {0.6f, Hex(0x9A1208)},
                        {0.8f, Hex(0xE8401A)},
                        {1.0f, Hex(0xFFC080)}};
        return Fill(256, 256, [&](float u, float v) {
            float warp_u = 0.06f * Fractal_Noise(u, v, 3, 4, 0.5f, 31);
            float warp_v = 0.06f * Fractal_Noise(u, v, 3, 4, 0.5f, 32);
            float wu = Frac(u + warp_u + 1), wv = Frac(v + warp_v + 1);
            float ridges = Ridged_Noise(wu, wv, 4, 6, 0.55f, 33);
            Cell_Sample crack = Cellular(wu, wv, 5, 34);
            float edge = crack.f2 - crack.f1;
            float height = ridges * 0.9f + 0.25f * Fractal_Noise(u, v, 16, 4, 0.6f, 35);
            Rgb colour = rock(Clamp01(height));
            colour = colour * Smooth_Step(0.02f, 0.10f, edge);
            colour = colour + Hex(0xFF5010) * (0.8f * Smooth_Step(0.05f, 0.0f, edge));
            float grit = Hash01(static_cast<std::uint32_t>(u * 256), static_cast<std::uint32_t>(v * 256), 36);
            return colour * (1.0f + 0.3f * grit);
        });
    }

    // Laid over the darkening tube at its end, added: black lets the tube
    // through. A sun sinking behind a city, slatted, over a grid floor.
    Colour_Image Paint_Horizon(Fonts& fonts)
    {
        const int w = 640, h = 368;
        const float horizon = 250;
        const Ramp sky{{0.0f, Hex(0x000000)}, {0.45f, Hex(0x12001C)}, {1.0f, Hex(0x5A0830)}};
        const Ramp sun{{0.0f, Hex(0xFFF080)}, {0.5f, Hex(0xFF8020)}, {1.0f, Hex(0xE0104A)}};
        Colour_Image image(w, h);

        // City skyline: a height per 8-pixel building column.
        auto skyline = [&](float x) {
            int b = static_cast<int>(x) / 14;
            float tall = 18 + 70 * Hash01(b, 0, 41) * Hash01(b, 1, 41);
            if (Hash01(b, 2, 41) > 0.85f)
                tall += 40;  // the odd tower
            return horizon - tall;
        };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                float fx = x + 0.5f, fy = y + 0.5f;
                Rgb c;
                if (fy < horizon)
                {
                    c = sky(fy / horizon);
                    float d = std::hypot(fx - 320, fy - 215);
                    if (d < 150)
                    {
                        float t = (fy - 65) / 150;
                        Rgb disc = sun(Clamp01(t));
                        // Slats widen toward the bottom of the disc.
                        float slat = Frac((fy - 65) / 18.0f);
                        float open = Clamp01((t - 0.35f) * 0.9f);
                        float cut = slat < open ? 0.0f : 1.0f;
                        c = Mix(c, disc, Smooth_Step(150, 148, d) * cut);
                    }
                    c = c + Hex(0xFF3060) * (0.35f * std::exp(-std::max(0.0f, d - 150) / 40.0f) * (d >= 150));
                    if (fy > skyline(fx))
                    {
                        // Buildings in silhouette, a few lit windows.
                        int wx = x / 4, wy = y / 6;
                        bool window = (x % 4 < 2) && (y % 6 < 3) && Hash01(wx, wy, 42) > 0.82f;
                        c = window ? Hex(0xFFC860) * 0.8f : Hex(0x060008);
                    }
                }
                else
                {
                    // Floor: perspective grid glowing magenta, fading into the distance.
                    // Lines lie at whole numbers of the floor's coordinates; their
                    // distance in pixels is the coordinate's distance over its rate
                    // of change per pixel, so near and far lines are equally crisp.
                    float depth = fy - horizon;
                    float gx = (fx - 320) / depth * 3.0f, gz = 60.0f / depth + 0.3f;
                    float line_x = std::fabs(gx - std::round(gx)) / (3.0f / depth);
                    float line_z = std::fabs(gz - std::round(gz)) / (60.0f / (depth * depth));
                    // Where lines crowd closer than a few pixels they would only shimmer: fade them.
                    float keep_x = Smooth_Step(0.25f, 0.08f, 3.0f / depth);
                    float keep_z = Smooth_Step(0.25f, 0.08f, 60.0f / (depth * depth));
                    float grid =
                        std::max(Smooth_Step(1.4f, 0.2f, line_x) * keep_x, Smooth_Step(1.4f, 0.2f, line_z) * keep_z);
                    float fade = Clamp01(depth / 118.0f);
                    c = Hex(0x10000C) * fade + Hex(0xFF2AA0) * (grid * std::pow(fade, 1.5f));
                    c = c + Hex(0xFF6030) * (0.4f * std::exp(-depth / 8.0f));
                }
                image.At(x, y) = c;
            }

        // A line of small print over the sky.
        Grey_Image print(w, h);
        fonts.mono.Draw_Centred(print, "END OF THE LINE", 18, 320, 40, 1.0f, 10);
        Add_Glow(print, 8, 0.8f);
        for (std::size_t i = 0; i < print.pixels.size(); ++i)
            image.pixels[i] = image.pixels[i] + Hex(0xFFD0E0) * Clamp01(print.pixels[i]);
        return image;
    }
}
