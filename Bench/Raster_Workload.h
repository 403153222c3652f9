// The frames the raster benchmarks and the instruction counts draw: a 41 x 24
// lattice over a 256 x 256 texture, and the line scenes' string figures.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "Code/Grid.h"
#include "Code/Texture.h"

namespace Ryx_Bench
{
    // A 256 x 256 pattern of 4-byte texels, made here.
    class Pattern_Texture : public Ryx_Vektu::Texture
    {
    public:
        Pattern_Texture() : m_pixels(256 * 256 * 4)
        {
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x)
                {
                    std::uint8_t* t = &m_pixels[(y * 256 + x) * 4];
                    t[0] = std::uint8_t(x ^ y);
                    t[1] = std::uint8_t(x * 3 + y);
                    t[2] = std::uint8_t((x * y) >> 4);
                    t[3] = 0xFF;
                }
        }
        int Get_Width() override { return 256; }
        int Get_Height() override { return 256; }
        void* Get_Pixels() override { return m_pixels.data(); }
        int Get_Bytes_Per_Pixel() override { return 4; }
        const char* Get_Name() override { return "(made in memory)"; }

    private:
        std::vector<std::uint8_t> m_pixels;
    };

    // A tunnel-like warp: coordinates that wind around the texture and jump by
    // whole turns, and shades from dark through unchanged to lifted.
    inline void Lay_Out_Lattice(Ryx_Vektu::Grid& grid, float time)
    {
        const int columns = grid.Get_Columns(), rows = grid.Get_Rows();
        Ryx_Vektu::Grid_Vertex* v = grid.Get_Vertices();
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
            {
                const float dx = float(j - columns / 2), dy = float(i - rows / 2);
                const float angle = std::atan2(dy, dx) * (256.0f / 6.2831853f);
                const float depth = 2000.0f / (std::sqrt(dx * dx + dy * dy) + 1.0f) + 50.0f * time;
                const float shade = 40.0f + 25.0f * std::sqrt(dx * dx + dy * dy);
                v[i * columns + j] = Ryx_Vektu::Grid_Vertex{
                    std::int32_t(angle * 65535.0f), std::int32_t(depth * 65535.0f), std::int32_t(shade * 65535.0f)};
            }
    }

    struct Segment
    {
        float x0, y0, x1, y1;
    };

    // The string figure of the line scenes at one phase: 500 segments of the
    // opening figure or 1500 of the closing one, on a 640 x 480 screen.
    inline std::vector<Segment> Figure(int count, float phase)
    {
        const float pi = 3.141592f;
        const float sn = std::sin(14 * phase), cs = std::cos(14 * phase);
        std::vector<float> x(2 * count), y(2 * count);
        for (int i = 0; i < 2 * count; ++i)
        {
            float px, py;
            if (count == 500)
            {
                const float u = 7 * std::sin(17 * pi * i / count), w = 7 * std::cos(20 * pi * i / count);
                const float k = 1 + 0.9f * std::sin(3 * std::atan2(u, w));
                px = k * u;
                py = k * w;
            }
            else
            {
                const float t = 2 * pi * i / count;
                const float u = 7 * std::sin(t), w = 7 * std::cos(t), a = 4 * std::atan2(u, w);
                px = u * (3 + 2 * std::sin(a));
                py = w * (3 + 2 * std::cos(a));
            }
            x[i] = sn * px - cs * py;
            y[i] = cs * px + sn * py;
        }
        std::vector<Segment> segments(count);
        const float p = phase;
        for (int k = 0; k < count; ++k)
        {
            float f1, f2, f3, f4, sx = 1.0f;
            if (count == 500)
            {
                const float scale = 1.3f;
                f1 = 9 * std::sin(10 * p) + 5;
                f2 = 9 * std::cos(9.5f * p) + f1;
                f3 = 9 * std::sin(13.6f * p) + f2;
                f4 = f1 - 9 * std::cos(17 * p);
                f1 *= scale;
                f2 *= scale;
                f3 *= scale;
                f4 *= scale;
                sx = 1.6f;
            }
            else
            {
                f1 = 3 * std::sin(14 * p) + 10;
                f2 = 5 * std::cos(13.5f * p) + 10;
                f3 = 6 * std::sin(7.6f * p) + 10;
                f4 = 10 - 2 * std::cos(17 * p);
            }
            segments[k] = Segment{x[2 * k] * f1 * sx + 320, y[2 * k] * f2 + 240, x[2 * k + 1] * f3 * sx + 320,
                                  y[2 * k + 1] * f4 + 240};
        }
        return segments;
    }
}
