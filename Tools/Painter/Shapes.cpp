// Distance-field shapes and blurs; see Shapes.h.
#include "Tools/Painter/Shapes.h"

namespace Ryx_Painter
{
    Distance Disc(float cx, float cy, float radius)
    {
        return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
    }

    Distance Ring(float cx, float cy, float radius, float thickness)
    {
        return [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) - thickness * 0.5f; };
    }

    Distance Box(float x0, float y0, float x1, float y1)
    {
        float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
        float hx = std::fabs(x1 - x0) * 0.5f, hy = std::fabs(y1 - y0) * 0.5f;
        return [=](float x, float y) {
            float dx = std::fabs(x - cx) - hx, dy = std::fabs(y - cy) - hy;
            float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
            return outside + std::min(std::max(dx, dy), 0.0f);
        };
    }

    Distance Segment(float x0, float y0, float x1, float y1, float width)
    {
        return [=](float x, float y) {
            float ax = x - x0, ay = y - y0, bx = x1 - x0, by = y1 - y0;
            float length2 = bx * bx + by * by;
            float t = length2 > 0 ? Clamp01((ax * bx + ay * by) / length2) : 0.0f;
            return std::hypot(ax - bx * t, ay - by * t) - width * 0.5f;
        };
    }

    Distance Polygon(std::vector<float> points)
    {
        return [points](float x, float y) {
            std::size_t n = points.size() / 2;
            float best = 1e9f;
            bool inside = false;
            for (std::size_t i = 0, j = n - 1; i < n; j = i++)
            {
                float xi = points[2 * i], yi = points[2 * i + 1], xj = points[2 * j], yj = points[2 * j + 1];
                float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
                float length2 = ex * ex + ey * ey;
                float t = length2 > 0 ? Clamp01((wx * ex + wy * ey) / length2) : 0.0f;
                best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
                if ((yi > y) != (yj > y) && x < xi + (y - yi) / (yj - yi) * (xj - xi))
                    inside = !inside;
            }
            return inside ? -best : best;
        };
    }

    void Paint(Grey_Image& image, const Distance& shape, float value, Blend blend, int x0, int y0, int x1, int y1)
    {
        if (x1 <= x0 || y1 <= y0)
        {
            x0 = 0, y0 = 0, x1 = image.width, y1 = image.height;
        }
        x0 = std::max(0, x0), y0 = std::max(0, y0);
        x1 = std::min(image.width, x1), y1 = std::min(image.height, y1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                float cover = Clamp01(0.5f - shape(x + 0.5f, y + 0.5f));
                if (cover <= 0)
                    continue;
                float& p = image.At(x, y);
                switch (blend)
                {
                case Blend::Max: p = std::max(p, value * cover); break;
                case Blend::Add: p += value * cover; break;
                case Blend::Erase: p *= 1.0f - cover; break;
                }
            }
    }

    namespace
    {
        // One running-sum box pass along rows (step 1) or columns (step width).
        void Box_Pass(const float* in, float* out, int count, int stride, int lines, int line_stride, int radius,
                      bool wrap)
        {
            std::vector<float> line(count);
            float scale = 1.0f / (2 * radius + 1);
            for (int l = 0; l < lines; ++l)
            {
                const float* src = in + static_cast<std::size_t>(l) * line_stride;
                auto read = [&](int i) {
                    if (wrap)
                        i = ((i % count) + count) % count;
                    else if (i < 0 || i >= count)
                        return 0.0f;
                    return src[static_cast<std::size_t>(i) * stride];
                };
                // A running sum in double, held at zero or above: light is never
                // negative, and rounding must not leave a grey film on black.
                double sum = 0;
                for (int i = -radius; i <= radius; ++i)
                    sum += read(i);
                for (int i = 0; i < count; ++i)
                {
                    line[i] = std::max(0.0f, static_cast<float>(sum * scale));
                    sum += read(i + radius + 1) - read(i - radius);
                }
                float* dst = out + static_cast<std::size_t>(l) * line_stride;
                for (int i = 0; i < count; ++i)
                    dst[static_cast<std::size_t>(i) * stride] = line[i];
            }
        }
    }

    Grey_Image Blur(const Grey_Image& image, int radius, bool wrap)
    {
        Grey_Image a = image, b = image;
        int r = std::max(1, radius / 2);
        for (int pass = 0; pass < 3; ++pass)
        {
            Box_Pass(a.pixels.data(), b.pixels.data(), a.width, 1, a.height, a.width, r, wrap);
            Box_Pass(b.pixels.data(), a.pixels.data(), a.height, a.width, a.width, 1, r, wrap);
        }
        return a;
    }

    void Add_Glow(Grey_Image& image, int radius, float strength)
    {
        Grey_Image halo = Blur(image, radius);
        for (std::size_t i = 0; i < image.pixels.size(); ++i)
            image.pixels[i] += halo.pixels[i] * strength;
    }

    void Clear_Haze(Grey_Image& image, float floor)
    {
        for (float& v : image.pixels)
            v = std::max(0.0f, v - floor) / (1.0f - floor);
    }
}
