// The tunnel scene: its cues as the vertices and pixels show them, the track
// lookup, the fade band, and the vertex value conversion it shares.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Code/Saturating_Add.h"
#include "Code/Tunnel.h"
#include "Code/Vertex_Value.h"
#include "Tests/Support/Assertion_Recorder.h"
#include "Tests/Support/Memory_Window.h"
#include "Tests/Support/Scene_Harness.h"

using namespace Ryx_Vektu;
using Ryx_Test::Image_Set;

namespace
{
    const std::int32_t No_Hit_Shade = 4 * 65535;
    const std::uint32_t Overlay_Colour = 0xFF204060u;  // even red and green: Saturating_Add keeps it

    std::vector<Grid_Vertex> Vertices(Tunnel& tunnel)
    {
        Grid* grid = tunnel.Get_Grid();
        Grid_Vertex* v = grid->Get_Vertices();
        return std::vector<Grid_Vertex>(v, v + grid->Get_Columns() * grid->Get_Rows());
    }

    bool Same(const std::vector<Grid_Vertex>& a, const std::vector<Grid_Vertex>& b)
    {
        for (std::size_t k = 0; k < a.size(); ++k)
            if (a[k].u != b[k].u || a[k].v != b[k].v || a[k].shade != b[k].shade)
                return false;
        return true;
    }

    bool All_No_Hit(const std::vector<Grid_Vertex>& vs)
    {
        for (const Grid_Vertex& v : vs)
            if (v.u != 0 || v.v != 0 || v.shade != No_Hit_Shade)
                return false;
        return true;
    }

    // Filled before the fixture's scene loads its images.
    struct Tunnel_Images
    {
        Tunnel_Images()
        {
            Image_Set().clear();
            // Black tube textures: whatever the shade, the grid draws black,
            // so the band's pixels are exactly the overlay's.
            auto black = [] { return Ryx_Test::Uniform_Texture(256, 256, 0xFF000000u); };
            Image_Set()["texture/teksture_krazy.jpg"] = black;
            Image_Set()["texture/teksture.jpg"] = black;
            Image_Set()["texture/trash_punanen.jpg"] = black;
            Image_Set()["texture/mafia_368.jpg"] = [] { return Ryx_Test::Uniform_Texture(640, 368, Overlay_Colour); };
        }
        ~Tunnel_Images() { Image_Set().clear(); }
    };

    class Tunnel_Test : public testing::Test, protected Tunnel_Images
    {
    protected:
        void Frame(double seconds, int order, int row)
        {
            clock.Set(seconds, order, row);
            tunnel.Update();
        }

        // Band rows (0 to 367) whose pixels are the overlay's.
        int Drawn_Band_Rows()
        {
            int drawn = 0;
            for (std::uint32_t y = 0; y < 368; ++y)
                drawn += window.At(320, 56 + y) == Overlay_Colour;
            return drawn;
        }

        Ryx_Test::Scene_Clock clock;
        Ryx_Test::Memory_Window window;
        Tunnel tunnel{&window, &Ryx_Test::Load_From_Set};
    };
}

TEST(Vertex_Value, ScalesBy65535CutsTowardZeroAndKeepsTheLow32Bits)
{
    EXPECT_EQ(Vertex_Value(1.0), 65535);
    EXPECT_EQ(Vertex_Value(1.5), 98302);
    EXPECT_EQ(Vertex_Value(-1.5), -98302);
    EXPECT_EQ(Vertex_Value(0.99999), 65534);
    // 65536 x 65535 = 0xFFFF0000: wraps, it does not saturate.
    EXPECT_EQ(Vertex_Value(65536.0), -65536);
    EXPECT_EQ(Vertex_Value(1e12),
              static_cast<std::int32_t>(
                  static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(1e12 * 65535.0)))));
}

TEST(Vertex_Value, NonFiniteAndOutOfRangeGiveZero)
{
    EXPECT_EQ(Vertex_Value(std::nan("")), 0);
    EXPECT_EQ(Vertex_Value(INFINITY), 0);
    EXPECT_EQ(Vertex_Value(-INFINITY), 0);
    EXPECT_EQ(Vertex_Value(1e30), 0);
    EXPECT_EQ(Vertex_Value(-1e30), 0);
}

TEST_F(Tunnel_Test, ZeroLookVectorBeforeTheFirstBeatHitsNothing)
{
    Frame(12.5, 10, 0);
    EXPECT_TRUE(All_No_Hit(Vertices(tunnel)));
    // Row 3, but the previous frame's row was 0: the beat rule stays quiet.
    Frame(12.6, 10, 3);
    EXPECT_TRUE(All_No_Hit(Vertices(tunnel)));
}

TEST_F(Tunnel_Test, BeatRowShowsTheTubeOnEveryFrameThenCollapses)
{
    Frame(7.0, 10, 2);
    Frame(7.0, 10, 3);  // previous row 2: fires, time 0, look vector (0, 0.1, 2.2)
    std::vector<Grid_Vertex> beat = Vertices(tunnel);
    EXPECT_FALSE(All_No_Hit(beat));

    // Top-left ray: a0 + right + up with right = (-2.2, 0, 0) and up =
    // (0, -4.84, 0.22), from a camera at the origin, at flash 2.
    EXPECT_EQ(beat[0].u, 681675);
    EXPECT_EQ(beat[0].v, -10667242);
    EXPECT_EQ(beat[0].shade, 511 * 65535);

    // Flash 2: the nearest hits are held at 511, the farthest at 4.
    std::int32_t low = beat[0].shade, high = beat[0].shade;
    for (const Grid_Vertex& v : beat)
    {
        low = std::min(low, v.shade);
        high = std::max(high, v.shade);
    }
    EXPECT_EQ(low, No_Hit_Shade);
    EXPECT_EQ(high, 511 * 65535);

    // The literal "previous row != 0" fires again on every frame of the row.
    Frame(7.0, 10, 3);
    EXPECT_TRUE(Same(Vertices(tunnel), beat));

    // Off the beat, shake falls to a tenth a frame until nothing is hit.
    Frame(7.0, 10, 4);
    EXPECT_FALSE(Same(Vertices(tunnel), beat));
    for (int k = 0; k < 60; ++k)
        Frame(7.0, 10, 4);
    EXPECT_TRUE(All_No_Hit(Vertices(tunnel)));
}

// Order 13 on the row-53 cue: shake -3.6 turns the look vector round, swing 2
// adds the sway and a roll of 2 radians, the forward fade has begun, and the
// camera is at z = 454.912. Every vector operation rounds its components to
// float, as stored vectors do. The expected vertices were reckoned apart from
// this code, from the scene's formulas in double with that rounding; rounding
// once per expression instead moves a third of these values.
TEST_F(Tunnel_Test, RaysFollowTheCameraVectorsRoundedAtEveryOperation)
{
    Frame(10.0, 10, 0);     // the start time
    Frame(13.537, 13, 52);  // the forward fade starts to fall
    Frame(13.554, 13, 53);
    const struct
    {
        int column, row;
        Grid_Vertex vertex;
    } expected[] = {
        {0, 0, {29826356, 15130100, 511 * 65535}}, {17, 9, {29299896, 15054710, 511 * 65535}},
        {11, 12, {26789523, -11918257, 25105748}}, {3, 17, {28942396, -3978966, 31386995}},
        {5, 20, {29265417, -3266037, 33478107}},   {40, 23, {29400237, -1656021, 511 * 65535}},
    };
    std::vector<Grid_Vertex> vertices = Vertices(tunnel);
    for (const auto& e : expected)
    {
        const Grid_Vertex& v = vertices[std::size_t(e.row) * 41 + e.column];
        EXPECT_EQ(v.u, e.vertex.u) << e.column << ", " << e.row;
        EXPECT_EQ(v.v, e.vertex.v) << e.column << ", " << e.row;
        EXPECT_EQ(v.shade, e.vertex.shade) << e.column << ", " << e.row;
    }
}

TEST_F(Tunnel_Test, RowTwentyTwoCueFiresOnceInRow22ButEveryFrameInRow54)
{
    Frame(3.0, 10, 21);
    Frame(3.0, 10, 22);
    std::vector<Grid_Vertex> cue = Vertices(tunnel);
    EXPECT_FALSE(All_No_Hit(cue));
    Frame(3.0, 10, 22);
    EXPECT_FALSE(Same(Vertices(tunnel), cue));  // shake decayed: no new cue

    Frame(3.0, 10, 53);
    Frame(3.0, 10, 54);
    std::vector<Grid_Vertex> cue54 = Vertices(tunnel);
    EXPECT_TRUE(Same(cue54, cue));  // same time, same flash 1.5 and shake 0.4
    Frame(3.0, 10, 54);
    EXPECT_TRUE(Same(Vertices(tunnel), cue54));
}

TEST_F(Tunnel_Test, TrackValueFollowsItsSegmentsAndIsZeroBetweenThem)
{
    // Playing row 19: look-ahead row 20 of the default (18, 29, 0.3, 0.0),
    // entered late before any segment began: its from, not 0/0.
    clock.Set(50.0, 14, 19);
    Track_Value first = tunnel.Get_Track_Value();
    EXPECT_EQ(first.second, 0.3f);
    EXPECT_EQ(first.first, first.second);

    // Look-ahead row 18 starts it: 11 rows of 87.609 ms.
    double duration = 11 * double(87.609f) * double(0.001f);
    clock.Set(60.0, 14, 17);
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.3f);
    // Half way (the clock counts whole milliseconds): about 0.15.
    clock.Set(60.0 + duration / 2, 14, 17);  // same row again: no restart
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.149953157f);
    clock.Set(60.0 + duration / 2, 14, 18);
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.149953157f);
    // Not clamped: past its duration it runs on along the same line.
    clock.Set(60.0 + duration * 2, 14, 27);
    EXPECT_EQ(tunnel.Get_Track_Value().second, -0.299876094f);

    // Look-ahead rows 30 and 63 lie between segments.
    clock.Set(61.0, 14, 29);
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.0f);
    clock.Set(61.0, 14, 62);
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.0f);
}

TEST_F(Tunnel_Test, SegmentEnteredLateKeepsThePreviousStartAndDuration)
{
    // Look-ahead row 12 starts (12, 18) at t = 40 with 6 rows' duration.
    clock.Set(40.0, 14, 11);
    tunnel.Get_Track_Value();
    // Row 20 of (18, 29, 0.3, 0.0), its start row skipped: 0.25 s on the old
    // segment's clock of 6 x 87.609 ms, 0.3 + 0.25 / 0.526 x -0.3 (a restart
    // would give 0.3).
    clock.Set(40.25, 14, 19);
    EXPECT_EQ(tunnel.Get_Track_Value().second, 0.157320604f);
}

TEST_F(Tunnel_Test, SteeringBetweenSegmentsDiesOutAndNeverTurnsNaN)
{
    // Entered late before any segment began, in every steered order.
    for (int order = 14; order <= 17; ++order)
    {
        Frame(5.0 + order, order, 20);
        for (const Grid_Vertex& v : Vertices(tunnel))
            ASSERT_GE(v.shade, No_Hit_Shade);
        EXPECT_FALSE(All_No_Hit(Vertices(tunnel))) << order;  // steer stayed finite: a view
    }
    // Between segments the steer alternates and dies out: the view settles on
    // straight ahead, the same picture frame after frame.
    for (int k = 0; k < 40; ++k)
        Frame(30.0, 14, 35);
    std::vector<Grid_Vertex> settled = Vertices(tunnel);
    Frame(30.0, 14, 35);
    EXPECT_TRUE(Same(Vertices(tunnel), settled));
}

TEST_F(Tunnel_Test, FadeBandOpensAboveThresholdAndCoversEveryRowInTheEnd)
{
    Frame(100.0, 17, 40);
    window.Clear();
    tunnel.Render();
    EXPECT_EQ(Drawn_Band_Rows(), 0);  // fade 1.0: no band

    // Four frames of look-ahead order 18: fade 1.0406, trunc(b x 368) = 0.
    for (int k = 0; k < 4; ++k)
    {
        Frame(100.0 + k * 0.01, 18, 40);
        window.Clear();
        tunnel.Render();
        EXPECT_EQ(Drawn_Band_Rows(), 0) << k;
    }

    // Fade grows without end; from about 21 every row is drawn, and the tube
    // is at its light floor. 9000 frames would overflow an unclamped float.
    for (int k = 0; k < 9000; ++k)
        Frame(101.0 + k * 0.001, 18, 40);
    for (int k = 0; k < 3; ++k)
    {
        Frame(111.0 + k, 18, 40);
        window.Clear();
        tunnel.Render();
        EXPECT_EQ(Drawn_Band_Rows(), 368);
        for (const Grid_Vertex& v : Vertices(tunnel))
            ASSERT_EQ(v.shade, No_Hit_Shade);
    }
    // The band never writes above or below its rows.
    EXPECT_NE(window.At(320, 55), Overlay_Colour);
    EXPECT_NE(window.At(320, 424), Overlay_Colour);
}

TEST_F(Tunnel_Test, OverlayLargerThanTheFrameIsClipped)
{
    Image_Set()["texture/mafia_368.jpg"] = [] { return Ryx_Test::Uniform_Texture(700, 500, Overlay_Colour); };
    Ryx_Test::Memory_Window small(640, 430);
    Tunnel clipped(&small, &Ryx_Test::Load_From_Set);
    for (int k = 0; k < 600; ++k)
    {
        clock.Set(200.0 + k * 0.01, 18, 40);
        clipped.Update();
    }
    clipped.Render();  // writes only inside 640 x 430; the sanitizer build checks
    EXPECT_EQ(small.At(639, 429), Overlay_Colour);
}

TEST_F(Tunnel_Test, MissingImagesDrawNothingAndNeverCrash)
{
    Image_Set().clear();
    Tunnel bare(&window, &Ryx_Test::Load_From_Set);
    for (int k = 0; k < 700; ++k)
    {
        clock.Set(300.0 + k * 0.02, 18, k % 64);
        bare.Update();
    }
    bare.Render();
    EXPECT_EQ(Drawn_Band_Rows(), 0);
}

TEST_F(Tunnel_Test, SecondSceneStartsFromTheStartValues)
{
    for (int k = 0; k < 10; ++k)
        Frame(1.0 + k, 12, 30 + k);  // cues, textures[1], fade, forward fade
    Tunnel second(&window, &Ryx_Test::Load_From_Set);
    clock.Set(80.0, 10, 0);
    second.Update();
    EXPECT_TRUE(All_No_Hit(Vertices(second)));
}

TEST_F(Tunnel_Test, GridTextureOfBadWidthIsReportedAndTheSceneGoesOn)
{
    Image_Set()["texture/trash_punanen.jpg"] = [] { return Ryx_Test::Uniform_Texture(640, 256, 0xFF808080u); };
    Ryx_Test::Assertion_Recorder recorder;
    Tunnel odd(&window, &Ryx_Test::Load_From_Set);
    for (int k = 0; k < 3; ++k)
    {
        clock.Set(400.0 + k, 14, 40);  // order 14 on: textures[2]
        odd.Update();
        odd.Render();
    }
    EXPECT_EQ(recorder.Count("!\"invalid texture width\""), 1);  // once, at the switch
}

TEST_F(Tunnel_Test, MorphCueFiresOnEveryFrameUnlessThePreviousRowEqualsTheRemainder)
{
    // Playing row 9: look-ahead row 10 (q = 10). After a frame of row 10 the
    // literal test q != previous row holds the cue back; after row 8 it
    // fires. Order 16's track is 0 on look-ahead rows 7 to 17, so steer stays
    // 0 in both histories and only the cue differs.
    auto frames_after = [&](int previous_row) {
        Tunnel fresh(&window, &Ryx_Test::Load_From_Set);
        clock.Set(500.0, 16, previous_row);
        fresh.Update();
        clock.Set(500.0, 16, 9);
        fresh.Update();
        std::vector<Grid_Vertex> first = Vertices(fresh);
        fresh.Update();
        return std::make_pair(first, Vertices(fresh));
    };
    auto quiet = frames_after(10);
    auto cued = frames_after(8);
    EXPECT_FALSE(Same(quiet.first, cued.first));
    std::int64_t cued_light = 0, quiet_light = 0;
    for (std::size_t k = 0; k < cued.first.size(); ++k)
    {
        cued_light += cued.first[k].shade;
        quiet_light += quiet.first[k].shade;
    }
    EXPECT_GT(cued_light, quiet_light);  // flash 1.4
    // Next frame, same row: previous row 9 now, so it fires in both, again
    // in the cued one: morph back at 1.0, flash at 1.4, the same picture.
    EXPECT_TRUE(Same(quiet.second, cued.second));
}
