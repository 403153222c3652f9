// The anti-aliased additive line: clipped 2 pixels inside the frame, stepped
// along its major axis in 16.16 fixed point, its colour split between the two
// pixels that straddle the exact position and added with saturation.
#include "Code/Line.h"

#include <cstddef>
#include "Code/Saturating_Add.h"
#include "Code/Shader.h"
#include "Code/Window.h"

namespace Ryx_Vektu
{
    namespace
    {
        // Moves the ends onto the clip rectangle [2, max_x) x [2, max_y);
        // false when the line lies wholly outside. Each edge moves at most one
        // end, in the order left, right, top, bottom.
        bool Clip(float& x0, float& y0, float& x1, float& y1, float max_x, float max_y)
        {
            if (x0 < 2.0f && x1 < 2.0f)
                return false;
            if (x0 < 2.0f)
            {
                y0 = y0 + (y1 - y0) / (x1 - x0) * (2.0f - x0);
                x0 = 2.0f;
            }
            else if (x1 < 2.0f)
            {
                y1 = y1 + (y0 - y1) / (x0 - x1) * (2.0f - x1);
                x1 = 2.0f;
            }

            if (x0 >= max_x && x1 >= max_x)
                return false;
            if (x0 >= max_x)
            {
                y0 = y0 - (y0 - y1) / (x0 - x1) * (x0 - max_x);
                x0 = max_x;
            }
            else if (x1 >= max_x)
            {
                y1 = y1 - (y1 - y0) / (x1 - x0) * (x1 - max_x);
                x1 = max_x;
            }

            if (y0 < 2.0f && y1 < 2.0f)
                return false;
            if (y0 < 2.0f)
            {
                x0 = x0 + (x1 - x0) / (y1 - y0) * (2.0f - y0);
                y0 = 2.0f;
            }
            else if (y1 < 2.0f)
            {
                x1 = x1 + (x0 - x1) / (y0 - y1) * (2.0f - y1);
                y1 = 2.0f;
            }

            if (y0 >= max_y && y1 >= max_y)
                return false;
            if (y0 >= max_y)
            {
                x0 = x0 - (x0 - x1) / (y0 - y1) * (y0 - max_y);
                y0 = max_y;
            }
            else if (y1 >= max_y)
            {
                x1 = x1 - (x1 - x0) / (y1 - y0) * (y1 - max_y);
                y1 = max_y;
            }
            return true;
        }

        // The colour weighted by coverage 0..255, for each of the 256
        // weights. Rebuilt only when the colour changes, which the line
        // scenes do once a frame at most.
        struct Weighted_Colours
        {
            const std::uint8_t* table = nullptr;
            std::uint32_t colour = 0;
            std::uint32_t by_weight[256];

            const std::uint32_t* Get(const std::uint8_t* product, std::uint32_t new_colour)
            {
                if (product != table || new_colour != colour)
                {
                    const std::uint32_t r = (new_colour >> 16) & 0xFF;
                    const std::uint32_t g = (new_colour >> 8) & 0xFF;
                    const std::uint32_t b = new_colour & 0xFF;
                    for (std::uint32_t w = 0; w < 256; ++w)
                    {
                        const std::uint8_t* row = product + 256 * w;
                        by_weight[w] = std::uint32_t(row[r]) << 16 | std::uint32_t(row[g]) << 8 | row[b];
                    }
                    table = product;
                    colour = new_colour;
                }
                return by_weight;
            }
        };
        Weighted_Colours s_weighted;

        // One major-axis run: `count` steps from `position` (16.16 on the
        // minor axis) by `step`. Each step adds weight 255 - f at the minor
        // coordinate and f at the next one; `major` is the stride between
        // steps, `minor` the stride between the two pixels of a step.
        void Run(std::uint32_t* start, std::ptrdiff_t major, std::ptrdiff_t minor, std::int32_t count,
                 std::uint32_t position, std::uint32_t step, const std::uint32_t* weighted)
        {
            std::uint32_t* along = start;
            for (std::int32_t k = 0; k < count; ++k, along += major)
            {
                const std::uint32_t f = (position >> 8) & 0xFF;
                std::uint32_t* p = along + std::ptrdiff_t(std::int32_t(position) >> 16) * minor;
                p[0] = Saturating_Add(p[0], weighted[255 - f]);
                p[minor] = Saturating_Add(p[minor], weighted[f]);
                position += step;
            }
        }

        // The fixed-point start and step of a run along one axis. Rejects
        // runs whose pixels would leave the frame, which the 2-pixel margin
        // already rules out for every finite line; this guards against
        // rounding at the edges and against NaN or huge coordinates.
        bool Fixed_Run(float major0, float minor0, float minor1, std::int32_t start, std::int32_t count,
                       std::int64_t minor_limit, std::uint32_t& position, std::uint32_t& step)
        {
            const float slope = (minor1 - minor0) / float(count);
            const float first = ((float(start) - major0) * slope + minor0) * 65536.0f;
            const float delta = slope * 65536.0f;
            // Both within +-2^31 before the conversion, which is undefined beyond.
            if (!(first > -2147483648.0f && first < 2147483648.0f && delta > -2147483648.0f && delta < 2147483648.0f))
                return false;
            const std::int64_t p = std::int32_t(first);
            const std::int64_t d = std::int32_t(delta);
            const std::int64_t last = p + d * (count - 1);
            const std::int64_t low = p < last ? p : last;
            const std::int64_t high = p < last ? last : p;
            if (low < 0 || high >= (minor_limit - 1) * 65536 || high >= 2147483648LL)
                return false;
            position = std::uint32_t(p);
            step = std::uint32_t(d);
            return true;
        }

        // Within [0, limit), so that truncating gives a pixel index; false for NaN.
        bool Inside(float a, float limit) { return a >= 0.0f && a < limit; }
    }

    void Draw_AA_Line(Window* window, std::uint32_t colour, float x0, float y0, float x1, float y1)
    {
        if (!window || !Line_Shader || !Line_Shader->table)
            return;
        std::uint32_t* buffer = window->Get_Buffer();
        const std::uint32_t width = window->Get_Width();
        const std::uint32_t height = window->Get_Height();
        if (!buffer)
            return;
        // Read on every call: a later, smaller window must not be overrun.
        const float max_x = float(width) - 2.0f;
        const float max_y = float(height) - 2.0f;

        if (!Clip(x0, y0, x1, y1, max_x, max_y))
            return;
        if (!(Inside(x0, float(width)) && Inside(x1, float(width)) && Inside(y0, float(height)) &&
              Inside(y1, float(height))))
            return;

        const std::uint32_t* weighted = s_weighted.Get(Line_Shader->table, colour);
        const float dx = x1 > x0 ? x1 - x0 : x0 - x1;
        const float dy = y1 > y0 ? y1 - y0 : y0 - y1;
        std::uint32_t position = 0, step = 0;
        if (dx > dy)
        {
            if (x0 > x1)
            {
                float t = x0;
                x0 = x1;
                x1 = t;
                t = y0;
                y0 = y1;
                y1 = t;
            }
            const std::int32_t xs = std::int32_t(x0), xe = std::int32_t(x1);
            const std::int32_t n = xe - xs;
            if (n <= 0 || !Fixed_Run(x0, y0, y1, xs, n, height, position, step))
                return;
            Run(buffer + xs, 1, std::ptrdiff_t(width), n, position, step, weighted);
        }
        else
        {
            if (y0 > y1)
            {
                float t = x0;
                x0 = x1;
                x1 = t;
                t = y0;
                y0 = y1;
                y1 = t;
            }
            const std::int32_t ys = std::int32_t(y0), ye = std::int32_t(y1);
            const std::int32_t n = ye - ys;
            if (n <= 0 || !Fixed_Run(y0, x0, x1, ys, n, width, position, step))
                return;
            Run(buffer + std::ptrdiff_t(ys) * width, std::ptrdiff_t(width), 1, n, position, step, weighted);
        }
    }
}
