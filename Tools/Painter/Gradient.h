// Colour gradients: ramps through colour stops, cosine palettes that cycle,
// and the per-pixel fill that paints a picture from a function of (u, v).
#pragma once
#include "Tools/Painter/Canvas.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace Ryx_Painter
{
    struct Colour_Stop
    {
        float at;
        Rgb colour;
    };

    // Colour at t through stops sorted by at; clamped at both ends.
    class Ramp
    {
    public:
        Ramp(std::initializer_list<Colour_Stop> stops) : m_stops(stops) {}
        Rgb operator()(float t) const
        {
            if (t <= m_stops.front().at)
                return m_stops.front().colour;
            for (std::size_t i = 1; i < m_stops.size(); ++i)
                if (t < m_stops[i].at)
                {
                    const Colour_Stop& a = m_stops[i - 1];
                    const Colour_Stop& b = m_stops[i];
                    return Mix(a.colour, b.colour, (t - a.at) / (b.at - a.at));
                }
            return m_stops.back().colour;
        }

    private:
        std::vector<Colour_Stop> m_stops;
    };

    // a + b cos(2 pi (c t + d)) per channel: a palette that cycles as t grows.
    inline Rgb Cosine_Palette(float t, Rgb a, Rgb b, Rgb c, Rgb d)
    {
        auto channel = [t](float a, float b, float c, float d) { return a + b * std::cos(6.2831853f * (c * t + d)); };
        return {channel(a.r, b.r, c.r, d.r), channel(a.g, b.g, c.g, d.g), channel(a.b, b.b, c.b, d.b)};
    }

    // Fills every pixel from its centre's (u, v) in [0, 1).
    inline Colour_Image Fill(int width, int height, const std::function<Rgb(float u, float v)>& colour)
    {
        Colour_Image image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.At(x, y) = colour((x + 0.5f) / width, (y + 0.5f) / height);
        return image;
    }

    inline Grey_Image Fill_Grey(int width, int height, const std::function<float(float u, float v)>& value)
    {
        Grey_Image image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.At(x, y) = value((x + 0.5f) / width, (y + 0.5f) / height);
        return image;
    }
}
