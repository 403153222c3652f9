// The opening scene driven by a virtual clock and scripted music positions:
// its figure, its beat flash and cues, its overlays and its light bars.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include "Code/Line_Part.h"
#include "Code/Random.h"
#include "Code/Saturating_Add.h"
#include "Tests/Support/Assertion_Recorder.h"
#include "Tests/Support/Line_Scene_Rig.h"

using namespace Ryx_Vektu;
using Ryx_Test::Line_Scene_Rig;
using Ryx_Test::Memory_Images;

namespace
{
    const Line_Part_Setup c_show_setup{0, 500, 0xFF121F16u};

    Line_Part Make(Line_Scene_Rig& rig, Line_Part_Setup setup = c_show_setup)
    {
        return Line_Part(&rig.window, setup, &Memory_Images::Load);
    }

    void Frame(Line_Part& scene)
    {
        scene.Update();
        scene.Render();
    }

    // Lowest and highest screen row with any colour, or {-1, -1}.
    std::pair<int, int> Lit_Rows(Line_Scene_Rig& rig)
    {
        int first = -1, last = -1;
        for (std::uint32_t y = 0; y < rig.window.Get_Height(); ++y)
            for (std::uint32_t x = 0; x < rig.window.Get_Width(); ++x)
                if (rig.Rgb(x, y))
                {
                    if (first < 0)
                        first = int(y);
                    last = int(y);
                    break;
                }
        return {first, last};
    }
}

TEST(Line_Part, FiguresStartOnTheirCurvesAndTurnAQuarterAtPhaseZero)
{
    Line_Scene_Rig rig;
    rig.Set_Playing(0, 0, 0);
    Line_Part zero = Make(rig);
    EXPECT_EQ(zero.Get_Base_Point(0).x, 0.0f);
    EXPECT_EQ(zero.Get_Base_Point(0).y, 7.0f);
    zero.Update();  // time 0: phase 0, a turn of (x, y) into (-y, x)
    EXPECT_EQ(zero.Get_Phase(), 0.0f);
    EXPECT_EQ(zero.Get_Turned_Point(0).x, -7.0f);
    EXPECT_EQ(zero.Get_Turned_Point(0).y, 0.0f);
    EXPECT_EQ(zero.Get_Turned_Point(999).x, -zero.Get_Base_Point(999).y);
    EXPECT_EQ(zero.Get_Turned_Point(999).y, zero.Get_Base_Point(999).x);
    // The three-lobed factor keeps every type-0 point within 1.9 * 7 * sqrt 2.
    for (std::uint32_t i = 0; i < 1000; ++i)
        ASSERT_LE(std::hypot(zero.Get_Base_Point(i).x, zero.Get_Base_Point(i).y), 1.9 * 7 * std::sqrt(2.0) + 1e-4);

    Line_Part one = Make(rig, {1, 500, 0xFF121F16u});
    EXPECT_EQ(one.Get_Base_Point(0).x, 0.0f);
    EXPECT_EQ(one.Get_Base_Point(0).y, 35.0f);
    // Twice round the circle: point i + N lies next to point i.
    for (std::uint32_t i = 0; i < 500; i += 37)
    {
        EXPECT_NEAR(one.Get_Base_Point(i).x, one.Get_Base_Point(i + 500).x, 1e-3) << i;
        EXPECT_NEAR(one.Get_Base_Point(i).y, one.Get_Base_Point(i + 500).y, 1e-3) << i;
    }
    one.Update();
    EXPECT_EQ(one.Get_Turned_Point(0).x, -35.0f);
}

// The first Update at 7 s turns by 14 x 0.0280000009 with the sine and cosine
// stored as floats: point 0, (0, 7), goes to y = 7 sn = 2.67426252 (the
// unrounded sine would give 2.67426229). The expected points were reckoned
// apart from this code, from the scene's formulas in double with every stored
// value rounded to float.
TEST(Line_Part, TurnedPointsUseTheStoredSineAndCosine)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig);
    rig.Set_Playing(7000, 0, 0);
    scene.Update();
    ASSERT_EQ(scene.Get_Phase(), 0.0280000009f);
    EXPECT_EQ(scene.Get_Turned_Point(0).x, -6.469028f);
    EXPECT_EQ(scene.Get_Turned_Point(0).y, 2.67426252f);
    EXPECT_EQ(scene.Get_Turned_Point(3).x, -9.03829002f);
    EXPECT_EQ(scene.Get_Turned_Point(3).y, 7.90549517f);
    EXPECT_EQ(scene.Get_Turned_Point(77).x, 14.6439629f);
    EXPECT_EQ(scene.Get_Turned_Point(77).y, 5.75056362f);
}

TEST(Line_Part, PhaseAdvancesByTimeSpeedAndRateAndOrder4SwitchesScaleOnce)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig);
    // The first Update takes the whole timer reading: previous time starts at 0.
    rig.Set_Playing(10000, 3, 5);
    scene.Update();
    EXPECT_EQ(scene.Get_Phase(), 0.0400000028f);  // 10 x 0.004
    EXPECT_EQ(scene.Get_Scale(), 1.0f);
    // Order 4: the phase still advances at the old rate, then the rate switches.
    rig.Set_Playing(10500, 4, 0);
    scene.Update();
    EXPECT_EQ(scene.Get_Phase(), 0.0420000032f);  // + 0.5 x 0.004
    EXPECT_EQ(scene.Get_Scale(), 1.3f);
    EXPECT_EQ(scene.Get_Rate(), 0.01f);
    rig.Set_Playing(11500, 4, 1);
    scene.Update();
    EXPECT_EQ(scene.Get_Phase(), 0.0520000011f);  // + 1 x 0.01
    // The switch never reverts, whatever the order does.
    rig.Set_Playing(12000, 0, 0);
    scene.Update();
    EXPECT_EQ(scene.Get_Scale(), 1.3f);
    EXPECT_EQ(scene.Get_Rate(), 0.01f);
}

// Frames rendered at one clock reading share their geometry, so they differ
// only in the line colour that the flash gives them.
TEST(Line_Part, FlashesOnNewRowsEveryFourRowsInOrderZeroAndEveryTwoAfter)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig);
    rig.Set_Ahead(5000, 0, 1);
    Frame(scene);
    EXPECT_EQ(rig.Brightness(), 0u) << "black until the first flash";

    rig.Set_Ahead(5000, 0, 4);
    Frame(scene);
    std::vector<std::uint32_t> flashed = rig.window.Pixels();
    std::uint64_t full = rig.Brightness();
    EXPECT_GT(full, 0u);

    rig.Set_Ahead(5000, 0, 4);  // the same row again: no new flash, only decay
    Frame(scene);
    std::uint64_t decayed = rig.Brightness();
    EXPECT_LT(decayed, full);
    EXPECT_GT(decayed, 0u);
    rig.Set_Ahead(5000, 0, 6);  // even, but not a multiple of 4 in order 0
    Frame(scene);
    EXPECT_LT(rig.Brightness(), decayed);

    rig.Set_Ahead(5000, 0, 8);
    Frame(scene);
    EXPECT_EQ(rig.window.Pixels(), flashed);
    rig.Set_Ahead(5000, 1, 9);
    Frame(scene);
    EXPECT_LT(rig.Brightness(), full);
    rig.Set_Ahead(5000, 1, 10);  // every even row from order 1 on
    Frame(scene);
    EXPECT_EQ(rig.window.Pixels(), flashed);
}

TEST(Line_Part, Order2Rows3To11AreDarkAndTheColourTurnsBlue)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig);
    for (int row = 3; row < 12; ++row)
    {
        rig.Set_Ahead(5000, 2, row);
        Frame(scene);
        ASSERT_EQ(rig.Brightness(), 0u) << "row " << row;
    }
    EXPECT_EQ(scene.Get_Colour(), 0xFF122340u);
    rig.Set_Ahead(5000, 2, 12);
    Frame(scene);
    std::uint64_t blue = 0, red = 0;
    for (std::uint32_t p : rig.window.Pixels())
        blue += p & 0xFF, red += (p >> 16) & 0xFF;
    EXPECT_GT(blue, 2 * red) << "flashes come back in 0xFF122340";
}

TEST(Line_Part, SpeedKickIsHalvedInItsFrameAndTheRampOverwritesItFromOrder8)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig);
    rig.Set_Ahead(1000, 4, 0);  // playing order 3
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 26.5f);
    rig.Set_Ahead(1010, 4, 0);
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 13.75f) << "the same row does not kick again";
    rig.Set_Ahead(1020, 4, 1);
    Frame(scene);
    rig.Set_Ahead(1030, 4, 10);
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 26.5f);
    rig.Set_Ahead(1040, 4, 16);
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 26.5f);

    rig.Set_Ahead(2000, 8, 32);  // a kick row in order 8: the ramp starts and wins
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 1.0f);
    rig.Set_Ahead(4000, 8, 33);
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 11.0f);
    rig.Set_Ahead(4500, 9, 0);  // playing order 8 still
    Frame(scene);
    EXPECT_EQ(scene.Get_Speed(), 13.5f);
}

TEST(Line_Part, OverlayCuesFollowTheTableFromTheirLookAheadRow)
{
    Line_Scene_Rig rig;
    const char* names[26] = {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "b1", "b2", "b3", "b4", "b5",
                             "b6", "b7", "b8", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9", "c10"};
    for (int i = 0; i < 26; ++i)
        Memory_Images::Flat(std::string("tekstit/") + names[i] + ".tga", 640, 480, std::uint8_t(10 + 9 * i));
    Line_Part scene = Make(rig, {0, 0, 0xFF121F16u});  // no segments: only the overlay shows

    // Image index by look-ahead order and row, from the cue table.
    auto expected_after = [](int order, int row, int shown) {
        static const int rows[8] = {0, 10, 16, 26, 32, 42, 48, 58};
        for (int c = 0; c < 8; ++c)
            if (row == rows[c])
            {
                if (order >= 4 && order <= 6)
                    return (order - 4) * 8 + c;
                if (order == 7 && c < 2)
                    return 24 + c;
                if (order == 7 && c == 7)
                    return -1;
            }
        return shown;
    };
    int shown = -1;
    std::uint32_t ms = 0;
    for (int order = 3; order <= 8; ++order)
        for (int row = 0; row < 64; ++row)
        {
            rig.Set_Ahead(ms += 20, order, row);
            Frame(scene);
            shown = expected_after(order, row, shown);
            std::uint32_t grey = shown < 0 ? 0u : std::uint32_t(10 + 9 * shown) * 0x010101u;
            // Row 0 lies above the bars; the top byte is set by the additions only.
            ASSERT_EQ(rig.Rgb(320, 0), grey & 0xFEFEFF) << "order " << order << " row " << row;
            ASSERT_EQ(rig.Rgb(639, 479), grey & 0xFEFEFF) << "the last pixel of the frame";
        }
}

TEST(Line_Part, UnusableImagesAreReportedOnceAtLoadAndNeverReadPastTheirEnd)
{
    Line_Scene_Rig rig;
    // a1 missing, a2 has 3 bytes a pixel, a3 too small, a4 a ramp of every byte value.
    Memory_Images::Table()["tekstit/a2.tga"] =
        Ryx_Test::Image_Data{640, 480, 3, std::vector<std::uint8_t>(640 * 480 * 3, 200)};
    Memory_Images::Flat("tekstit/a3.tga", 320, 240, 100);
    Ryx_Test::Image_Data ramp{640, 480, 1, {}};
    for (int i = 0; i < 640 * 480; ++i)
        ramp.pixels.push_back(std::uint8_t(i * 7));
    Memory_Images::Table()["tekstit/a4.tga"] = ramp;

    testing::internal::CaptureStderr();
    Line_Part scene = Make(rig, {0, 0, 0xFF121F16u});
    std::string load = testing::internal::GetCapturedStderr();
    auto count = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(load, "tekstit/a1.tga"), 1);
    EXPECT_EQ(count(load, "tekstit/a2.tga"), 1);
    EXPECT_EQ(count(load, "tekstit/a3.tga"), 1);
    EXPECT_EQ(count(load, "tekstit/a4.tga"), 0);

    testing::internal::CaptureStderr();
    rig.Set_Ahead(100, 4, 0);  // a1: nothing laid
    Frame(scene);
    EXPECT_EQ(rig.Rgb(5, 5), 0u);
    rig.Set_Ahead(200, 4, 10);  // a2: not 8-bit, skipped
    Frame(scene);
    EXPECT_EQ(rig.Rgb(5, 5), 0u);
    rig.Set_Ahead(300, 4, 16);  // a3: its 76800 bytes, row after row, then nothing
    Frame(scene);
    EXPECT_EQ(rig.Rgb(639, 119), 0x646464u);
    EXPECT_EQ(rig.Rgb(0, 120), 0u);
    rig.Set_Ahead(400, 4, 26);  // a4: byte i on pixel i
    Frame(scene);
    EXPECT_EQ(rig.Rgb(1, 0), 0x060607u);  // 7: the low bits of red and green drop
    EXPECT_EQ(rig.Rgb(37, 0) & 0xFF, std::uint32_t(37 * 7) & 0xFF);
    EXPECT_EQ(rig.Rgb(5, 479) & 0xFF, std::uint32_t((479 * 640 + 5) * 7) & 0xFF);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "reported at load only";
}

TEST(Line_Part, BarsAddNothingBeforeATriggerThenSlideDownFromTheTop)
{
    Line_Scene_Rig rig;
    Line_Part scene = Make(rig, {0, 0, 0xFF121F16u});
    rig.Set_Playing(100, 4, 4);
    Frame(scene);
    EXPECT_EQ(rig.Brightness(), 0u) << "bar level 0 before the first trigger";

    // The tops of the next eight bands, from the same stream the scene draws on.
    Restart_Rand();
    int jitter[8];
    for (int& j : jitter)
        j = Rand() % 40;
    Restart_Rand();
    rig.Set_Ahead(200, 4, 1);
    Frame(scene);
    std::uint32_t band[17];
    for (int j = 0; j <= 16; ++j)
    {
        double k = (j - 8) / 8.0, v = (1 - k * k) * 0.2f;
        band[j] = std::uint32_t(25 * v) << 16 | std::uint32_t(28 * v) << 8 | std::uint32_t(49 * v);
    }
    EXPECT_EQ(band[8], 0x050509u);
    EXPECT_EQ(band[4], 0x030407u);
    EXPECT_EQ(band[0], 0u);
    std::vector<std::uint32_t> rows(480, 0);
    for (int b = 0; b < 8; ++b)
        for (int j = 0; j <= 16; ++j)
            rows[44 + jitter[b] + j] = Saturating_Add(rows[44 + jitter[b] + j], band[j]);
    for (int y = 0; y < 480; ++y)
    {
        ASSERT_EQ(rig.Rgb(0, y), rows[y] & 0xFFFFFFu) << "row " << y;
        ASSERT_EQ(rig.Rgb(639, y), rows[y] & 0xFFFFFFu) << "row " << y;
    }
    auto lit = Lit_Rows(rig);
    EXPECT_GE(lit.first, 45);
    EXPECT_LE(lit.second, 98);

    // The same row again does not restart the bar: it has moved 18 rows down.
    Restart_Rand();
    int lowest = 40;
    for (int b = 0; b < 8; ++b)
        lowest = std::min(lowest, Rand() % 40);
    Restart_Rand();
    rig.Set_Ahead(210, 4, 1);
    Frame(scene);
    EXPECT_EQ(Lit_Rows(rig).first, 44 + 18 + lowest + 1);

    // Decayed toward 0 the bands sit at 404 to 443 and end above row 460.
    for (int f = 0; f < 1000; ++f)
    {
        rig.Set_Ahead(300 + f, 5, 2 + f % 2);
        Frame(scene);
    }
    lit = Lit_Rows(rig);
    EXPECT_GE(lit.first, 405);
    EXPECT_LE(lit.second, 458);

    // Current order 9 draws no bars.
    rig.Set_Playing(900, 9, 3);
    Frame(scene);
    EXPECT_EQ(rig.Brightness(), 0u);
}

TEST(Line_Part, ShortScreenClipsTheBars)
{
    Line_Scene_Rig rig(64, 100);
    Line_Part scene = Make(rig, {0, 0, 0xFF121F16u});
    for (int f = 0; f < 200; ++f)
    {
        rig.Set_Playing(100 + f, 4, f == 0 ? 0 : 2 + f % 2);  // one trigger, then decay
        Frame(scene);
    }
    SUCCEED() << "no write outside the 64 x 100 frame (checked by the sanitizer build)";
}

TEST(Line_Part, InvalidTypeReportsOnceAndDrawsNoSegments)
{
    Line_Scene_Rig rig;
    Ryx_Test::Assertion_Recorder recorder;
    Line_Part scene = Make(rig, {2, 500, 0xFF121F16u});
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].expression, "!\"invalid line part type\"");
    EXPECT_FALSE(recorder.Reports()[0].has_caption);
    EXPECT_NE(recorder.Reports()[0].file.find("Line_Part"), std::string::npos);
    EXPECT_EQ(recorder.Reports()[0].line, 0u);
    rig.Set_Ahead(5000, 0, 4);
    Frame(scene);
    EXPECT_EQ(rig.Brightness(), 0u);
    EXPECT_EQ(recorder.Reports().size(), 1u);
}

TEST(Line_Part, EachNewSceneStartsWithFreshCueState)
{
    Line_Scene_Rig rig;
    {
        Line_Part first = Make(rig);
        rig.Set_Ahead(5000, 0, 4);
        Frame(first);
        EXPECT_GT(rig.Brightness(), 0u);
    }
    Line_Part second = Make(rig);
    rig.Set_Ahead(5000, 0, 5);  // no flash on this row: a flash left over would show
    Frame(second);
    EXPECT_EQ(rig.Brightness(), 0u);
    rig.Set_Ahead(5000, 0, 4);
    Frame(second);
    rig.Set_Ahead(5000, 0, 4);
    Frame(second);
    std::uint64_t decayed = rig.Brightness();
    {
        Line_Part third = Make(rig);
        rig.Set_Ahead(5000, 0, 4);  // new for a fresh scene, though the last scene saw it
        Frame(third);
        EXPECT_GT(rig.Brightness(), decayed);
    }
}
