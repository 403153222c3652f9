#include "Code/Line_Figure.h"

#include <algorithm>
#include <cmath>
#include "Code/Line.h"
#include "Code/To_Float.h"
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
            points[i] = Line_Point{To_Float(k * u), To_Float(k * w)};
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
            points[i] = Line_Point{To_Float(u * (3.0 + 2.0 * std::sin(a))), To_Float(w * (3.0 + 2.0 * std::cos(a)))};
        }
    }

    void Turn_Figure(const std::vector<Line_Point>& base, std::vector<Line_Point>& turned, float phase)
    {
        double phi = 14.0 * phase;
        float sn = To_Float(std::sin(phi));
        float cs = To_Float(std::cos(phi));
        for (std::size_t i = 0; i < base.size() && i < turned.size(); ++i)
        {
            const Line_Point& b = base[i];
            turned[i] = Line_Point{To_Float(double(sn) * b.x - double(cs) * b.y),
                                   To_Float(double(cs) * b.x + double(sn) * b.y)};
        }
    }

    void Draw_Wobble_Segments(Window* window, std::uint32_t line_colour, const std::vector<Line_Point>& turned,
                              std::uint32_t count, double p)
    {
        float cx = float(window->Get_Width() / 2);
        float cy = float(window->Get_Height() / 2);
        float f1 = To_Float(3.0 * std::sin(14.0 * p) + 10.0);
        float f2 = To_Float(5.0 * std::cos(13.5f * p) + 10.0);
        float f3 = To_Float(6.0 * std::sin(7.6f * p) + 10.0);
        float f4 = To_Float(10.0 - 2.0 * std::cos(17.0 * p));
        for (std::uint32_t k = 0; k < count && 2 * std::size_t(k) + 1 < turned.size(); ++k)
        {
            const Line_Point& P = turned[2 * std::size_t(k)];
            const Line_Point& Q = turned[2 * std::size_t(k) + 1];
            Draw_AA_Line(window, line_colour, To_Float(double(P.x) * f1 + cx), To_Float(double(P.y) * f2 + cy),
                         To_Float(double(Q.x) * f3 + cx), To_Float(double(Q.y) * f4 + cy));
        }
    }

    std::uint32_t Line_Colour(std::uint32_t colour, float flash)
    {
        return 0xFF000000u | Flashed(colour, 16, flash) | Flashed(colour, 8, flash) | Flashed(colour, 0, flash);
    }
}
