// Pictures in the making: grey and colour images of floats (0 is black, 1 is
// full), and the small arithmetic every generator shares. Painting in floats
// keeps gradients and glows smooth; bytes are made only when a file is written.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace Ryx_Painter
{
    constexpr float Pi = 3.14159265f;

    inline float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
    inline float Mix(float a, float b, float t) { return a + (b - a) * t; }
    inline float Smooth_Step(float edge0, float edge1, float v)
    {
        float t = Clamp01((v - edge0) / (edge1 - edge0));
        return t * t * (3.0f - 2.0f * t);
    }
    inline std::uint8_t To_Byte(float v) { return static_cast<std::uint8_t>(Clamp01(v) * 255.0f + 0.5f); }

    struct Rgb
    {
        float r = 0, g = 0, b = 0;
    };
    inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
    inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
    inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
    inline Rgb Mix(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }
    // 0xRRGGBB written as in a colour picker.
    inline Rgb Hex(std::uint32_t rgb)
    {
        return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
    }

    template <typename T>
    struct Image
    {
        int width = 0;
        int height = 0;
        std::vector<T> pixels;

        Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
        T& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
        const T& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
        // Coordinates taken modulo the size: how tileable pictures are read.
        const T& Wrapped(int x, int y) const
        {
            x %= width;
            y %= height;
            return At(x < 0 ? x + width : x, y < 0 ? y + height : y);
        }
    };
    using Grey_Image = Image<float>;
    using Colour_Image = Image<Rgb>;

    inline std::vector<std::uint8_t> To_Grey_Bytes(const Grey_Image& image)
    {
        std::vector<std::uint8_t> bytes(image.pixels.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = To_Byte(image.pixels[i]);
        return bytes;
    }

    inline std::vector<std::uint32_t> To_Pixels(const Colour_Image& image)
    {
        std::vector<std::uint32_t> out(image.pixels.size());
        for (std::size_t i = 0; i < out.size(); ++i)
        {
            const Rgb& c = image.pixels[i];
            out[i] = 0xFF000000u | std::uint32_t(To_Byte(c.r)) << 16 | std::uint32_t(To_Byte(c.g)) << 8 | To_Byte(c.b);
        }
        return out;
    }
}
