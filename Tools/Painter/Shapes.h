// Shapes with anti-aliased edges, painted from signed distances (negative
// inside, in pixels), plus the blurs that make glows. A shape covers a pixel
// by how far its edge lies from the pixel centre, so edges are smooth at any
// angle without supersampling.
#pragma once
#include "Tools/Painter/Canvas.h"

#include <functional>

namespace Ryx_Painter
{
    // Distance from (x, y) to the shape, negative inside.
    using Distance = std::function<float(float x, float y)>;

    Distance Disc(float cx, float cy, float radius);
    Distance Ring(float cx, float cy, float radius, float thickness);
    Distance Box(float x0, float y0, float x1, float y1);
    // A stroke of the given width between two points, round ends.
    Distance Segment(float x0, float y0, float x1, float y1, float width);
    // Convex or not: a closed polygon of n points given as x0, y0, x1, y1, ...
    Distance Polygon(std::vector<float> points);

    enum class Blend
    {
        Max,   // brightest wins: overlapping shapes do not burn out
        Add,   // light adds up, clamped later
        Erase  // cuts the shape out
    };

    // Paints value where the shape covers; bounds (x0, y0, x1, y1) limit the
    // work to a box, or the whole image when x1 <= x0.
    void Paint(Grey_Image& image, const Distance& shape, float value, Blend blend = Blend::Max, int x0 = 0, int y0 = 0,
               int x1 = 0, int y1 = 0);

    // Three box passes each way: close to a Gaussian of the given radius.
    // wrap: the picture is a tile, so the blur reads across its edges.
    Grey_Image Blur(const Grey_Image& image, int radius, bool wrap = false);

    // Adds a soft halo of the picture's own light: image + strength × blur.
    void Add_Glow(Grey_Image& image, int radius, float strength);

    // Takes the faintest light off an overlay, rescaled so white stays white:
    // a glow's far tail would otherwise leave a haze over the whole scene.
    void Clear_Haze(Grey_Image& image, float floor = 2.0f / 255);
}
