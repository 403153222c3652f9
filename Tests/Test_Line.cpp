// The anti-aliased additive line: worked examples, clipping, saturation, and
// agreement with a plain transcription of the algorithm on many lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "Code/Line.h"
#include "Code/Saturating_Add.h"
#include "Tests/Support/Memory_Window.h"

using Ryx_Test::Memory_Window;
using Ryx_Vektu::Draw_AA_Line;

namespace
{
    // The algorithm step by step: weights by multiplication, the pixel index
    // computed and checked at every write.
    struct Reference_Line
    {
        std::vector<std::uint32_t>& pixels;
        int width, height;
        int out_of_bounds = 0;

        void Add(int x, int y, std::uint32_t colour, std::uint32_t w)
        {
            if (x < 0 || y < 0 || x >= width || y >= height)
            {
                ++out_of_bounds;
                return;
            }
            const std::uint32_t r = (w * ((colour >> 16) & 0xFF)) >> 8;
            const std::uint32_t g = (w * ((colour >> 8) & 0xFF)) >> 8;
            const std::uint32_t b = (w * (colour & 0xFF)) >> 8;
            std::uint32_t& p = pixels[std::size_t(y) * width + x];
            p = Ryx_Vektu::Saturating_Add(p, r << 16 | g << 8 | b);
        }

        void Draw(std::uint32_t colour, float x0, float y0, float x1, float y1)
        {
            const float maxX = float(width - 2), maxY = float(height - 2);
            if (x0 < 2 && x1 < 2)
                return;
            if (x0 < 2)
            {
                y0 = y0 + (y1 - y0) / (x1 - x0) * (2 - x0);
                x0 = 2;
            }
            else if (x1 < 2)
            {
                y1 = y1 + (y0 - y1) / (x0 - x1) * (2 - x1);
                x1 = 2;
            }
            if (x0 >= maxX && x1 >= maxX)
                return;
            if (x0 >= maxX)
            {
                y0 = y0 - (y0 - y1) / (x0 - x1) * (x0 - maxX);
                x0 = maxX;
            }
            else if (x1 >= maxX)
            {
                y1 = y1 - (y1 - y0) / (x1 - x0) * (x1 - maxX);
                x1 = maxX;
            }
            if (y0 < 2 && y1 < 2)
                return;
            if (y0 < 2)
            {
                x0 = x0 + (x1 - x0) / (y1 - y0) * (2 - y0);
                y0 = 2;
            }
            else if (y1 < 2)
            {
                x1 = x1 + (x0 - x1) / (y0 - y1) * (2 - y1);
                y1 = 2;
            }
            if (y0 >= maxY && y1 >= maxY)
                return;
            if (y0 >= maxY)
            {
                x0 = x0 - (x0 - x1) / (y0 - y1) * (y0 - maxY);
                y0 = maxY;
            }
            else if (y1 >= maxY)
            {
                x1 = x1 - (x1 - x0) / (y1 - y0) * (y1 - maxY);
                y1 = maxY;
            }

            if (std::fabs(x1 - x0) > std::fabs(y1 - y0))
            {
                if (x0 > x1)
                {
                    std::swap(x0, x1);
                    std::swap(y0, y1);
                }
                const int xs = int(x0), xe = int(x1), n = xe - xs;
                if (n == 0)
                    return;
                const float slope = (y1 - y0) / float(n);
                std::int32_t Y = std::int32_t(((float(xs) - x0) * slope + y0) * 65536.0f);
                const std::int32_t step = std::int32_t(slope * 65536.0f);
                for (int x = xs; x < xe; ++x, Y += step)
                {
                    const std::uint32_t f = (Y >> 8) & 0xFF;
                    Add(x, Y >> 16, colour, 255 - f);
                    Add(x, (Y >> 16) + 1, colour, f);
                }
            }
            else
            {
                if (y0 > y1)
                {
                    std::swap(x0, x1);
                    std::swap(y0, y1);
                }
                const int ys = int(y0), ye = int(y1), n = ye - ys;
                if (n == 0)
                    return;
                const float slope = (x1 - x0) / float(n);
                std::int32_t X = std::int32_t(((float(ys) - y0) * slope + x0) * 65536.0f);
                const std::int32_t step = std::int32_t(slope * 65536.0f);
                for (int y = ys; y < ye; ++y, X += step)
                {
                    const std::uint32_t f = (X >> 8) & 0xFF;
                    Add(X >> 16, y, colour, 255 - f);
                    Add((X >> 16) + 1, y, colour, f);
                }
            }
        }
    };

    int Lit(Memory_Window& w)
    {
        int n = 0;
        for (std::uint32_t p : w.Pixels())
            n += p != 0;
        return n;
    }
}

TEST(Draw_AA_Line, WorkedExampleAndHalfOpenSpan)
{
    Memory_Window w;
    Draw_AA_Line(&w, 0xFF808080u, 10.5f, 20.25f, 30.5f, 20.25f);
    for (int x = 10; x < 30; ++x)
    {
        EXPECT_EQ(w.At(x, 20), 0xFF5E5E5Fu) << x;
        EXPECT_EQ(w.At(x, 21), 0xFF202020u) << x;
    }
    EXPECT_EQ(w.At(30, 20), 0u);
    EXPECT_EQ(w.At(9, 20), 0u);
    EXPECT_EQ(Lit(w), 40);

    // At an integer y the second row gets weight 0: only the top byte.
    Memory_Window h;
    Draw_AA_Line(&h, 0xFFFF8001u, 5.0f, 7.0f, 9.0f, 7.0f);
    EXPECT_EQ(h.At(5, 7), 0xFFFE7E00u);  // 255 * c / 256 rounded down; green loses its low bit in the add
    EXPECT_EQ(h.At(5, 8), 0xFF000000u);
    EXPECT_EQ(h.At(9, 7), 0u);

    // A vertical line is y-major; its last row is not drawn.
    Memory_Window v;
    Draw_AA_Line(&v, 0xFFFFFFFFu, 40.0f, 10.0f, 40.0f, 20.0f);
    EXPECT_NE(v.At(40, 10), 0u);
    EXPECT_NE(v.At(40, 19), 0u);
    EXPECT_EQ(v.At(40, 20), 0u);
}

TEST(Draw_AA_Line, FortyFiveDegreesStepsAlongYAndDegenerateLinesDrawNothing)
{
    Memory_Window w;
    Draw_AA_Line(&w, 0xFFFFFFFFu, 10.0f, 10.0f, 20.0f, 20.0f);
    // y-major: one step per row 10..19, two pixels side by side in each.
    for (int y = 10; y < 20; ++y)
    {
        EXPECT_EQ(w.At(y, y), 0xFFFEFEFEu) << y;
        EXPECT_EQ(w.At(y + 1, y), 0xFF000000u) << y;
    }
    EXPECT_EQ(Lit(w), 20);

    Memory_Window d;
    Draw_AA_Line(&d, 0xFFFFFFFFu, 50.5f, 50.5f, 50.5f, 50.5f);  // a point
    Draw_AA_Line(&d, 0xFFFFFFFFu, 50.1f, 60.0f, 50.9f, 60.3f);  // same two columns
    Draw_AA_Line(&d, 0xFFFFFFFFu, 70.0f, 60.1f, 70.3f, 60.9f);  // same two rows
    EXPECT_EQ(Lit(d), 0);
}

TEST(Draw_AA_Line, RejectsLinesBeyondEachEdgeAndCutsCrossingOnes)
{
    Memory_Window w;
    Draw_AA_Line(&w, 0xFFFFFFFFu, 1.9f, 10.0f, 0.0f, 300.0f);      // left
    Draw_AA_Line(&w, 0xFFFFFFFFu, 638.0f, 10.0f, 700.0f, 300.0f);  // right: maxX is outside
    Draw_AA_Line(&w, 0xFFFFFFFFu, 10.0f, -5.0f, 600.0f, 1.99f);    // top
    Draw_AA_Line(&w, 0xFFFFFFFFu, 10.0f, 478.0f, 600.0f, 900.0f);  // bottom
    EXPECT_EQ(Lit(w), 0);

    // Across the whole screen: cut at x = 2 and x = 638, columns 2..637 drawn.
    Draw_AA_Line(&w, 0xFFFFFFFFu, -100.0f, 100.0f, 900.0f, 100.0f);
    EXPECT_EQ(w.At(1, 100), 0u);
    EXPECT_NE(w.At(2, 100), 0u);
    EXPECT_NE(w.At(637, 100), 0u);
    EXPECT_EQ(w.At(638, 100), 0u);
}

TEST(Draw_AA_Line, RepeatedDrawingSaturatesWithoutWrapping)
{
    Memory_Window w;
    Draw_AA_Line(&w, 0xFF402010u, 10.0f, 30.0f, 20.0f, 30.0f);
    const std::uint32_t once = w.At(12, 30);
    Draw_AA_Line(&w, 0xFF402010u, 10.0f, 30.0f, 20.0f, 30.0f);
    EXPECT_EQ(w.At(12, 30), 0xFF000000u | ((once & 0xFFFFFF) * 2));  // channels doubled
    std::uint32_t previous = w.At(12, 30);
    for (int i = 0; i < 20; ++i)
    {
        Draw_AA_Line(&w, 0xFF402010u, 10.0f, 30.0f, 20.0f, 30.0f);
        const std::uint32_t now = w.At(12, 30);
        for (int shift = 0; shift < 24; shift += 8)
            ASSERT_GE((now >> shift) & 0xFF, (previous >> shift) & 0xFF);  // never wraps down
        previous = now;
    }
    EXPECT_EQ(previous, 0xFFFFFFFFu);
}

TEST(Draw_AA_Line, AgreesWithThePlainAlgorithmOnRandomLines)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> over_x(-200.0f, 840.0f), over_y(-200.0f, 680.0f), small(-3.0f, 3.0f);
    Memory_Window fast;
    std::vector<std::uint32_t> expected(640 * 480, 0u);
    Reference_Line reference{expected, 640, 480};
    for (int i = 0; i < 20000; ++i)
    {
        float x0 = over_x(random), y0 = over_y(random), x1, y1;
        if (i % 4 == 0)
        {
            x1 = x0 + small(random);  // short, steep and nearly degenerate lines
            y1 = y0 + small(random);
        }
        else
        {
            x1 = over_x(random);
            y1 = over_y(random);
        }
        if (i % 7 == 0)
            x0 = std::floor(x0);  // exact integers
        const std::uint32_t colour = 0xFF000000u | random();
        Draw_AA_Line(&fast, colour, x0, y0, x1, y1);
        reference.Draw(colour, x0, y0, x1, y1);
    }
    EXPECT_EQ(reference.out_of_bounds, 0);
    EXPECT_TRUE(fast.Pixels() == expected);
}

TEST(Draw_AA_Line, NeverWritesOutsideAnyWindow)
{
    // A full-size window first, then smaller ones: the limits follow each window.
    Memory_Window big;
    Draw_AA_Line(&big, 0xFFFFFFFFu, 0.0f, 0.0f, 639.0f, 479.0f);
    for (std::uint32_t size : {0u, 1u, 3u, 4u, 5u, 16u})
    {
        Memory_Window small(size, size);
        std::vector<std::uint32_t> expected(std::size_t(size) * size, 0u);
        Reference_Line reference{expected, int(size), int(size)};
        for (float a = -3.0f; a < 20.0f; a += 0.37f)
        {
            Draw_AA_Line(&small, 0xFFFFFFFFu, a, 0.0f, 639.0f - a, 479.0f);
            Draw_AA_Line(&small, 0xFFFFFFFFu, 0.0f, a, 20.0f, 20.0f - a);
            reference.Draw(0xFFFFFFFFu, a, 0.0f, 639.0f - a, 479.0f);
            reference.Draw(0xFFFFFFFFu, 0.0f, a, 20.0f, 20.0f - a);
        }
        EXPECT_TRUE(small.Pixels() == expected) << size;
    }

    // Coordinates no clip can make finite draw nothing.
    Memory_Window w;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    Draw_AA_Line(&w, 0xFFFFFFFFu, nan, 10.0f, 100.0f, 20.0f);
    Draw_AA_Line(&w, 0xFFFFFFFFu, 10.0f, 10.0f, nan, nan);
    Draw_AA_Line(&w, 0xFFFFFFFFu, -inf, 10.0f, inf, 20.0f);
    Draw_AA_Line(&w, 0xFFFFFFFFu, 10.0f, -inf, 20.0f, inf);
    Draw_AA_Line(&w, 0xFFFFFFFFu, 1e30f, 1e-30f, -1e30f, 3e-30f);
    EXPECT_EQ(Lit(w), 0);
    Draw_AA_Line(nullptr, 0xFFFFFFFFu, 10.0f, 10.0f, 100.0f, 20.0f);
}
