#include "Code/Line_Figure.h"

#include <algorithm>
#include <cmath>
#include "Code/Line.h"
#include "Code/Window.h"

namespace Ryx_Vektu
{
    namespace
    {
        constexpr float c_pi = 3.141592f;

        std::uint32_t Flashed(std::uint32_t colour, int shift, float flash)
        {
            std::uint32_t channel = (colour >> shift) & 0xFF;
            int v = static_cast<int>(double(channel) * flash);
            return static_cast<std::uint32_t>(std::min(255, v)) << shift;
        }
    }

    void Make_Lissajous_Figure(std::vector<Line_Point>& points, std::uint32_t n)
    {
        for (std::uint32_t i = 0; i < 2 * n && i < points.size(); ++i)
        {
            double u = 7.0 * std::sin(17.0 * c_pi * i / n);
            double w = 7.0 * std::cos(20.0 * c_pi * i / n);
            double k = 1.0 + 0.9f * std::sin(3.0 * std::atan2(u, w));
            points[i] = Line_Point{float(k * u), float(k * w)};
        }
    }

    void Make_Wobble_Figure(std::vector<Line_Point>& points, std::uint32_t n)
    {
        for (std::uint32_t i = 0; i < 2 * n && i < points.size(); ++i)
        {
            double theta = 2.0 * c_pi * i / n;
            double u = 7.0 * std::sin(theta);
            double w = 7.0 * std::cos(theta);
            double a = 4.0 * std::atan2(u, w);
            points[i] = Line_Point{float(u * (3.0 + 2.0 * std::sin(a))), float(w * (3.0 + 2.0 * std::cos(a)))};
        }
    }

    void Turn_Figure(const std::vector<Line_Point>& base, std::vector<Line_Point>& turned, float phase)
    {
        double phi = 14.0 * phase;
        float sn = float(std::sin(phi));
        float cs = float(std::cos(phi));
        for (std::size_t i = 0; i < base.size() && i < turned.size(); ++i)
        {
            const Line_Point& b = base[i];
            turned[i] = Line_Point{float(double(sn) * b.x - double(cs) * b.y),
                                   float(double(cs) * b.x + double(sn) * b.y)};
        }
    }

    void Draw_Wobble_Segments(Window* window, std::uint32_t line_colour, const std::vector<Line_Point>& turned,
                              std::uint32_t count, double p)
    {
        float cx = float(window->Get_Width() / 2);
        float cy = float(window->Get_Height() / 2);
        float f1 = float(3.0 * std::sin(14.0 * p) + 10.0);
        float f2 = float(5.0 * std::cos(13.5f * p) + 10.0);
        float f3 = float(6.0 * std::sin(7.6f * p) + 10.0);
        float f4 = float(10.0 - 2.0 * std::cos(17.0 * p));
        for (std::uint32_t k = 0; k < count && 2 * std::size_t(k) + 1 < turned.size(); ++k)
        {
            const Line_Point& P = turned[2 * std::size_t(k)];
            const Line_Point& Q = turned[2 * std::size_t(k) + 1];
            Draw_AA_Line(window, line_colour,
                         float(double(P.x) * f1 + cx), float(double(P.y) * f2 + cy),
                         float(double(Q.x) * f3 + cx), float(double(Q.y) * f4 + cy));
        }
    }

    std::uint32_t Line_Colour(std::uint32_t colour, float flash)
    {
        return 0xFF000000u | Flashed(colour, 16, flash) | Flashed(colour, 8, flash) | Flashed(colour, 0, flash);
    }
}
