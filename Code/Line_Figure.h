// What the two line scenes share: their string figures, the turning of a
// figure, the type-1 drawing and the flashed line colour. Constants are
// single-precision floats, arithmetic is double, results are stored as float.
#pragma once
#include <cstdint>
#include <vector>

namespace Ryx_Vektu
{
    class Window;

    struct Line_Point
    {
        float x;  // offset from the screen centre, to the right
        float y;  // offset from the screen centre, downwards
    };

    // Type 0: a Lissajous curve of 17 and 20 periods over 2n points, swollen
    // by a three-lobed factor.
    void Make_Lissajous_Figure(std::vector<Line_Point>& points, std::uint32_t n);
    // Type 1: twice round a circle, its radii wobbling four times a turn.
    void Make_Wobble_Figure(std::vector<Line_Point>& points, std::uint32_t n);

    // turned[i] is base[i] turned by 14 x phase.
    void Turn_Figure(const std::vector<Line_Point>& base, std::vector<Line_Point>& turned, float phase);

    // The type-1 drawing: segment k joins turned points 2k and 2k + 1, each
    // end scaled by its own pulsing factor, around the screen centre.
    void Draw_Wobble_Segments(Window* window, std::uint32_t line_colour, const std::vector<Line_Point>& turned,
                              std::uint32_t count, double phase);

    // Each channel of the colour scaled by the flash, cut toward zero, held at 255.
    std::uint32_t Line_Colour(std::uint32_t colour, float flash);
}
