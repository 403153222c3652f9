// The attractor scene: the swirl field, its cues as the vertices show them,
// and the frame passes (glitch layer, inversion, melt) with their bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Code/Attractor_1.h"
#include "Code/Random.h"
#include "Code/Saturating_Add.h"
#include "Tests/Support/Memory_Window.h"
#include "Tests/Support/Scene_Harness.h"

using namespace Ryx_Vektu;
using Ryx_Test::Image_Set;

namespace
{
    const std::uint32_t Ground = 0xFF808080u;

    std::uint32_t Darken(std::uint32_t p)
    {
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(p) >> 1) & 0xFF7F7F7Fu;
    }

    struct Attractor_Images
    {
        Attractor_Images()
        {
            Image_Set().clear();
            auto grey = [] { return Ryx_Test::Uniform_Texture(256, 256, Ground); };
            Image_Set()["texture/joomu.jpg"] = grey;
            Image_Set()["texture/trash_sininen_1.jpg"] = grey;
            Image_Set()["texture/trash_total_vihree.jpg"] = grey;
            auto picture = [] { return Ryx_Test::Uniform_Picture(640, 100, 16); };
            for (const char* name : {"texture/MO_1.tga", "texture/MO_2.tga", "texture/MO_3.tga", "texture/MO_4.tga"})
                Image_Set()[name] = picture;
        }
        ~Attractor_Images() { Image_Set().clear(); }
    };

    class Attractor_Test : public testing::Test, protected Attractor_Images
    {
    protected:
        Attractor_Test() { Restart_Rand(); }

        // The engine's frame: the buffer prepared, then Update and Render.
        // The ground colour stands in for the grid's picture where the grid
        // draws nothing.
        void Frame(double seconds, int order, int row)
        {
            clock.Set(seconds, order, row);
            for (std::uint32_t& p : window.Pixels())
                p = Ground;
            scene.Update();
            scene.Render();
        }

        std::int32_t Shade() { return scene.Get_Grid()->Get_Vertices()[0].shade; }

        Ryx_Test::Scene_Clock clock;
        Ryx_Test::Memory_Window window;
        Attractor_1 scene{&window, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set};
    };
}

TEST(Swirl_Field, PointOnTheVertexAddsNothingAndOthersPushAway)
{
    Swirl_Point on = {20, 15, 20, 15, 0.01f, 0.01f, 0, 0};
    Swirl_Sum none = Sum_Swirl(&on, 1, 0, 0, 1.0f, 0.0f);
    EXPECT_EQ(none.x, 0.0f);
    EXPECT_EQ(none.y, 0.0f);
    EXPECT_EQ(none.angle, 0.0f);  // atan2(0, 0)

    // dx = 3, dy = 0: length 10 / sqrt(3) away from the point, angle
    // atan2(dx, dy) = pi / 2 (dx first).
    Swirl_Point left = {20, 15, 20, 15, -2.99f, 0.01f, 0, 0};
    Swirl_Sum push = Sum_Swirl(&left, 1, 0, 0, 1.0f, 0.0f);
    EXPECT_EQ(push.x, 5.77350283f);
    EXPECT_EQ(push.y, 0.0f);
    EXPECT_EQ(push.angle, 1.57079637f);

    // Turned a quarter: the push points along y.
    Swirl_Sum turned = Sum_Swirl(&left, 1, 0, 0, 0.0f, 1.0f);
    EXPECT_EQ(turned.x, 0.0f);
    EXPECT_EQ(turned.y, 5.77350283f);

    // Sums over points: the on-vertex point changes nothing.
    Swirl_Point both[2] = {on, left};
    Swirl_Sum sum = Sum_Swirl(both, 2, 0, 0, 1.0f, 0.0f);
    EXPECT_EQ(sum.x, push.x);
    EXPECT_EQ(sum.angle, push.angle);
}

// Three points at theta = 473 (cs and sn stored as floats): rx and ry are
// stored too, so f and the sums use the rounded ones. The expected sums were
// reckoned apart from this code, from the scene's formulas in double with
// every stored value rounded to float.
TEST(Swirl_Field, SumAtATurnedAngleUsesTheStoredComponents)
{
    const Swirl_Point points[3] = {{20, 15, 20, 15, 13.7f, 8.25f, 0, 0},
                                   {20, 15, 20, 15, 27.31f, 19.9f, 0, 0},
                                   {20, 15, 20, 15, 5.5f, 22.125f, 0, 0}};
    const float cs = -0.189159021f, sn = 0.981946468f;
    const struct
    {
        int i, j;
        Swirl_Sum sum;
    } expected[] = {
        {17, 11, {-0.236297563f, 3.46342611f, 0.931648076f}},
        {0, 0, {5.02217436f, -3.14558458f, -7.21131659f}},
        {40, 23, {-2.69377923f, 5.56637287f, 3.93534207f}},
    };
    for (const auto& e : expected)
    {
        Swirl_Sum sum = Sum_Swirl(points, 3, e.i, e.j, cs, sn);
        EXPECT_EQ(sum.x, e.sum.x) << e.i << ", " << e.j;
        EXPECT_EQ(sum.y, e.sum.y) << e.i << ", " << e.j;
        EXPECT_EQ(sum.angle, e.sum.angle) << e.i << ", " << e.j;
    }
}

TEST_F(Attractor_Test, NoCueAtTheFirstUpdateAndPulsesOncePerBeatRow)
{
    Frame(20.0, 21, 63);  // look-ahead (22, 0)
    EXPECT_EQ(Shade(), 255 * 65535);

    Frame(20.1, 22, 2);  // look-ahead row 3: pulse 3.0, light 765
    EXPECT_EQ(Shade(), 765 * 65535);
    Frame(20.2, 22, 2);  // same row: relaxes
    float pulse = static_cast<float>(3.0 + (1.0 - 3.0) * double(0.4f));
    EXPECT_EQ(Shade(), static_cast<std::int32_t>(double(static_cast<float>(pulse * 255.0)) * 65535.0));
    Frame(20.3, 22, 10);  // look-ahead row 11: again
    EXPECT_EQ(Shade(), 765 * 65535);
}

TEST_F(Attractor_Test, VerticesAreFiniteAndZoomOnSpreadCue)
{
    Frame(30.0, 22, 30);
    Grid* grid = scene.Get_Grid();
    std::vector<Grid_Vertex> wide(grid->Get_Vertices(), grid->Get_Vertices() + 984);
    Frame(30.0, 22, 35);  // look-ahead 36: spread 0.001
    std::int64_t before = 0, after = 0;
    for (int k = 0; k < 984; ++k)
    {
        before += std::llabs(wide[k].u) + std::llabs(wide[k].v);
        after += std::llabs(grid->Get_Vertices()[k].u) + std::llabs(grid->Get_Vertices()[k].v);
    }
    EXPECT_LT(after * 100, before);  // a few texels instead of hundreds
}

TEST_F(Attractor_Test, GlitchLayerAddsThePictureFromRow70)
{
    Frame(40.0, 23, 40);  // no picture yet
    std::vector<std::uint32_t> plain = window.Pixels();
    Frame(40.0, 24, 41);  // new look-ahead row of order 24: a picture by lot
    // 640 x 100 grey 16: overlay rows 10 to 89 land on frame rows 70 to 149.
    for (std::uint32_t y : {0u, 55u, 69u, 150u, 300u})
        EXPECT_EQ(window.At(320, y), plain[y * 640 + 320]) << y;
    for (std::uint32_t y : {70u, 100u, 149u})
        for (std::uint32_t x : {0u, 320u, 639u})
            EXPECT_EQ(window.At(x, y), Saturating_Add(plain[y * 640 + x], 0x101010u)) << x << "," << y;
}

TEST_F(Attractor_Test, GlitchReadsAndWritesStayInsidePictureAndFrame)
{
    // Narrow, tall, and nearly as large as the frame: the shift and the
    // jitter reach past both ends. The sanitizer build checks the bounds.
    for (auto maker : {+[] { return Ryx_Test::Uniform_Picture(100, 30, 200); },
                       +[] { return Ryx_Test::Uniform_Picture(640, 480, 200); },
                       +[] { return Ryx_Test::Uniform_Picture(2, 2000, 200); },
                       +[] { return Ryx_Test::Uniform_Picture(0, 0, 200); }})
    {
        for (const char* name : {"texture/MO_1.tga", "texture/MO_2.tga", "texture/MO_3.tga", "texture/MO_4.tga"})
            Image_Set()[name] = maker;
        Attractor_1 odd(&window, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set);
        for (int k = 0; k < 200; ++k)
        {
            clock.Set(50.0 + k * 0.02, 25, k % 64);
            odd.Update();
            odd.Render();
        }
    }
    SUCCEED();
}

TEST_F(Attractor_Test, InversionOnlyFromOrder26)
{
    auto inverted_frames = [&](int order) {
        int inverted = 0;
        for (int k = 0; k < 300; ++k)
        {
            Frame(60.0 + k * 0.02, order, 12);
            inverted += (window.At(320, 56) >> 24) == 0 && (window.At(320, 423) >> 24) == 0;
            EXPECT_EQ(window.At(320, 55) >> 24, 0xFFu);
            EXPECT_EQ(window.At(320, 424) >> 24, 0xFFu);
        }
        return inverted;
    };
    EXPECT_EQ(inverted_frames(25), 0);
    int inverted = inverted_frames(26);
    EXPECT_GT(inverted, 10);  // about one frame in ten
    EXPECT_LT(inverted, 60);
}

TEST_F(Attractor_Test, MeltStartsWithOneThinStreakAndGrows)
{
    // Same time, no cue: the frame before the melt is the reference.
    std::vector<std::uint32_t> plain;
    auto changed_in_rows = [&](std::vector<int>& per_row) {
        per_row.assign(481, 0);
        int changed = 0;
        for (std::uint32_t k = 0; k < 640 * 480; ++k)
            if (window.Pixels()[k] != plain[k])
            {
                ++changed;
                ++per_row[k / 640];
                // Darkened once, or more where streaks cross.
                std::uint32_t d = Darken(plain[k]);
                for (int n = 1; n < 4 && window.Pixels()[k] != d; ++n)
                    d = Darken(d);
                EXPECT_EQ(window.Pixels()[k], d) << k;
            }
        return changed;
    };
    std::vector<int> rows;
    // The fixed random stream leaves these frames uninverted (order 26 on,
    // one frame in ten), so they compare pixel for pixel.
    auto uninverted = [&] { return window.At(0, 56) >> 24 == 0xFFu; };
    Frame(100.0, 27, 12);  // no melt before order 28
    ASSERT_TRUE(uninverted());
    plain = window.Pixels();
    Frame(100.0, 28, 12);  // first melting frame: count 1
    ASSERT_TRUE(uninverted());
    EXPECT_EQ(changed_in_rows(rows), 368);
    EXPECT_EQ(rows[55], 0);
    for (std::uint32_t k = 1; k < 640 * 480; ++k)  // one pixel wide
        EXPECT_FALSE(window.Pixels()[k] != plain[k] && window.Pixels()[k - 1] != plain[k - 1]) << k;

    Frame(101.0, 27, 12);
    ASSERT_TRUE(uninverted());
    plain = window.Pixels();
    Frame(101.0, 28, 12);  // one second on: four streaks, four wide
    ASSERT_TRUE(uninverted());
    changed_in_rows(rows);
    for (int y = 56; y < 424; ++y)
    {
        EXPECT_GE(rows[y] + rows[y + 1], 4) << y;  // a streak may wrap onto the next row
        EXPECT_LE(rows[y], 32) << y;               // four streaks of four, and what wraps in from the row above
    }
    EXPECT_EQ(rows[55], 0);
}

TEST_F(Attractor_Test, OrderThirtyClearsInsteadOfDrawingTheGrid)
{
    Frame(70.0, 29, 20);
    int clears = window.Clears();
    Frame(70.1, 29, 63);  // look-ahead (30, 0)
    EXPECT_EQ(window.Clears(), clears + 1);
    // The melt still runs on the cleared frame: black halves to black.
    EXPECT_EQ(window.At(320, 200), 0u);
}

TEST_F(Attractor_Test, FramePassesStayInsideASmallFrame)
{
    // The melt's streaks and the inversion's band run past a 640 x 100 frame;
    // order 30 keeps the grid from drawing into it.
    Ryx_Test::Memory_Window small(640, 100);
    Attractor_1 clipped(&small, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set);
    for (int k = 0; k < 100; ++k)
    {
        clock.Set(80.0 + k * 0.05, 29, 63);
        clipped.Update();
        clipped.Render();
    }
    SUCCEED();
}

TEST_F(Attractor_Test, MissingImagesDrawNothingAndNeverCrash)
{
    Image_Set().clear();
    Attractor_1 bare(&window, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set);
    for (int k = 0; k < 200; ++k)
    {
        clock.Set(90.0 + k * 0.05, 24 + k / 40, k % 64);
        bare.Update();
        bare.Render();
    }
    SUCCEED();
}

TEST_F(Attractor_Test, TextureAlternatesOnBeatRowsFromOrder26)
{
    Image_Set()["texture/trash_sininen_1.jpg"] = [] { return Ryx_Test::Uniform_Texture(256, 256, 0xFF2040C0u); };
    Image_Set()["texture/trash_total_vihree.jpg"] = [] { return Ryx_Test::Uniform_Texture(256, 256, 0xFF20C040u); };
    Attractor_1 alternating(&window, &Ryx_Test::Load_From_Set, &Ryx_Test::Load_From_Set);
    // The band may come out inverted (one frame in ten): negation undoes it.
    auto centre = [&](int row) {
        clock.Set(110.0, 26, row);
        alternating.Update();
        alternating.Render();
        std::uint32_t p = window.At(320, 200);
        return p >> 24 == 0 ? 0u - p : p;
    };
    std::uint32_t first = centre(2);    // look-ahead row 3: textures[1]
    std::uint32_t second = centre(10);  // row 11: textures[2]
    EXPECT_NE(first, second);
    EXPECT_GT(first & 0xFF, (first >> 8) & 0xFF);  // blue over green
    EXPECT_GT((second >> 8) & 0xFF, second & 0xFF);
    EXPECT_EQ(centre(18), first);
    EXPECT_EQ(centre(26), second);
}
