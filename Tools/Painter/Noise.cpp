// Tileable noise generators; see Noise.h.
#include "Tools/Painter/Noise.h"

#include <cmath>

namespace Ryx_Painter
{
    std::uint32_t Hash(std::uint32_t a, std::uint32_t b, std::uint32_t c)
    {
        // Integer mixing of the three words; avalanche enough that neighbouring
        // lattice points look unrelated.
        std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
        h ^= h >> 16;
        h *= 0x7FEB352Du;
        h ^= h >> 15;
        h *= 0x846CA68Bu;
        h ^= h >> 16;
        return h;
    }

    float Hash01(std::uint32_t a, std::uint32_t b, std::uint32_t c)
    {
        return static_cast<float>(Hash(a, b, c) >> 8) * (1.0f / 16777216.0f);
    }

    namespace
    {
        int Wrap(int i, int period) { return ((i % period) + period) % period; }

        float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

        float Corner(int ix, int iy, float fx, float fy, int px, int py, std::uint32_t seed)
        {
            float angle = Hash01(Wrap(ix, px), Wrap(iy, py), seed) * 6.2831853f;
            return std::cos(angle) * fx + std::sin(angle) * fy;
        }
    }

    float Gradient_Noise(float x, float y, int period_x, int period_y, std::uint32_t seed)
    {
        float flx = std::floor(x), fly = std::floor(y);
        int ix = static_cast<int>(flx), iy = static_cast<int>(fly);
        float fx = x - flx, fy = y - fly;
        float n00 = Corner(ix, iy, fx, fy, period_x, period_y, seed);
        float n10 = Corner(ix + 1, iy, fx - 1, fy, period_x, period_y, seed);
        float n01 = Corner(ix, iy + 1, fx, fy - 1, period_x, period_y, seed);
        float n11 = Corner(ix + 1, iy + 1, fx - 1, fy - 1, period_x, period_y, seed);
        float sx = Fade(fx), sy = Fade(fy);
        float a = n00 + (n10 - n00) * sx;
        float b = n01 + (n11 - n01) * sx;
        return (a + (b - a) * sy) * 1.41421356f;
    }

    float Fractal_Noise(float u, float v, int base_cells, int octaves, float gain, std::uint32_t seed)
    {
        float sum = 0, amplitude = 1, total = 0;
        int cells = base_cells;
        for (int o = 0; o < octaves; ++o)
        {
            sum += amplitude * Gradient_Noise(u * cells, v * cells, cells, cells, seed + 7919u * o);
            total += amplitude;
            amplitude *= gain;
            cells *= 2;
        }
        return sum / total * 1.6f;
    }

    float Ridged_Noise(float u, float v, int base_cells, int octaves, float gain, std::uint32_t seed)
    {
        float sum = 0, amplitude = 1, total = 0;
        int cells = base_cells;
        for (int o = 0; o < octaves; ++o)
        {
            float n = 1.0f - std::fabs(Gradient_Noise(u * cells, v * cells, cells, cells, seed + 104729u * o));
            sum += amplitude * n * n;
            total += amplitude;
            amplitude *= gain;
            cells *= 2;
        }
        return sum / total;
    }

    Cell_Sample Cellular(float u, float v, int cells, std::uint32_t seed, float jitter)
    {
        float x = u * cells, y = v * cells;
        float flx = std::floor(x), fly = std::floor(y);
        int ix = static_cast<int>(flx), iy = static_cast<int>(fly);
        Cell_Sample best;
        best.f1 = best.f2 = 1e9f;
        for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox)
            {
                int cx = Wrap(ix + ox, cells), cy = Wrap(iy + oy, cells);
                float px = ix + ox + 0.5f + (Hash01(cx, cy, seed) - 0.5f) * jitter;
                float py = iy + oy + 0.5f + (Hash01(cx, cy, seed + 1) - 0.5f) * jitter;
                float dx = x - px, dy = y - py;
                float d = std::sqrt(dx * dx + dy * dy);
                if (d < best.f1)
                {
                    best.f2 = best.f1;
                    best.f1 = d;
                    best.id = Hash(cx, cy, seed + 2);
                    best.dx = dx;
                    best.dy = dy;
                }
                else if (d < best.f2)
                    best.f2 = d;
            }
        return best;
    }
}
