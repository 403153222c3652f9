// The closing scene driven by a virtual clock and scripted music positions:
// its beat on the playing row, its drum-image cues from row 60, its fade.
#include <gtest/gtest.h>

#include <string>
#include "Code/Line_Part.h"
#include "Code/Line_Part_2.h"
#include "Tests/Support/Line_Scene_Rig.h"

using namespace Ryx_Vektu;
using Ryx_Test::Line_Scene_Rig;
using Ryx_Test::Memory_Images;

namespace
{
    const Line_Part_Setup c_show_setup{1, 1500, 0xFF065179u};
    const char* const c_names[8] = {"texture/x1_basari.tga", "texture/x2_snare.tga", "texture/x3_vs1.tga",
                                    "texture/x1_vs2.tga",    "texture/g1.tga",       "texture/g2.tga",
                                    "texture/g3.tga",        "texture/g4.tga"};

    Line_Part_2 Make(Line_Scene_Rig& rig, Line_Part_Setup setup = c_show_setup)
    {
        return Line_Part_2(&rig.window, setup, &Memory_Images::Load);
    }

    void Frame(Line_Part_2& scene)
    {
        scene.Update();
        scene.Render();
    }
}

TEST(Line_Part_2, FigureIsTheType0CurveWhateverTheTypeAndTurnsAtPhaseZero)
{
    Line_Scene_Rig rig;
    rig.Set_Playing(0, 30, 1);
    Line_Part_2 show = Make(rig);
    Line_Part_2 zero = Make(rig, {0, 1500, 0xFF065179u});
    show.Update();
    zero.Update();
    EXPECT_EQ(show.Get_Turned_Point(0).x, -7.0f);
    EXPECT_EQ(show.Get_Turned_Point(0).y, 0.0f);
    for (std::uint32_t i = 0; i < 3000; i += 101)
    {
        ASSERT_EQ(show.Get_Turned_Point(i).x, zero.Get_Turned_Point(i).x) << i;
        ASSERT_EQ(show.Get_Turned_Point(i).y, zero.Get_Turned_Point(i).y) << i;
    }
}

TEST(Line_Part_2, FirstUpdateTakesTheWholeTimeThenSpeedRampsFromTheFirstRender)
{
    Line_Scene_Rig rig;
    Line_Part_2 scene = Make(rig);
    rig.Set_Playing(20000, 30, 1);
    scene.Update();
    EXPECT_EQ(scene.Get_Phase(), 0.0800000057f);  // 20 x 0.004
    EXPECT_EQ(scene.Get_Rate(), 0.01f);
    scene.Render();
    EXPECT_EQ(scene.Get_Speed(), 1.0f);
    rig.Set_Playing(22000, 30, 9);
    Frame(scene);
    EXPECT_EQ(scene.Get_Phase(), 0.100000009f);  // + 2 x 1 x 0.01
    EXPECT_EQ(scene.Get_Speed(), 11.0f);
}

TEST(Line_Part_2, FlashFollowsThePlayingRowOneRowAfterACueOnTheSameNumber)
{
    Line_Scene_Rig rig;
    for (int drum = 0; drum < 4; ++drum)  // the same grey for every drum: the cues look alike
        Memory_Images::Flat(c_names[drum], 640, 420, 40);
    Line_Part_2 scene = Make(rig);
    // Playing order 29 row 63, look-ahead order 30 row 0: basari shows, no flash.
    rig.Set_Playing(5000, 29, 63);
    Frame(scene);
    EXPECT_EQ(rig.Rgb(0, 60), 0x282828u);
    EXPECT_EQ(rig.Rgb(320, 30), 0u) << "lines stay black above the image";
    std::uint64_t unlit = rig.Brightness();
    // Row 0 now plays: the flash lands.
    rig.Set_Playing(5000, 30, 0);
    Frame(scene);
    std::vector<std::uint32_t> flashed = rig.window.Pixels();
    EXPECT_GT(rig.Brightness(), unlit);
    rig.Set_Playing(5000, 30, 0);  // the same row: decay only
    Frame(scene);
    EXPECT_NE(rig.window.Pixels(), flashed);
    rig.Set_Playing(5000, 30, 1);
    Frame(scene);
    rig.Set_Playing(5000, 30, 2);
    Frame(scene);
    EXPECT_EQ(rig.window.Pixels(), flashed);
}

TEST(Line_Part_2, PlayingOrder2Rows3To11AreDarkAndTheColourChanges)
{
    Line_Scene_Rig rig;
    Line_Part_2 scene = Make(rig);
    for (int row = 3; row < 12; ++row)
    {
        rig.Set_Playing(5000, 2, row);
        Frame(scene);
        ASSERT_EQ(rig.Brightness(), 0u) << "row " << row;
    }
    EXPECT_EQ(scene.Get_Colour(), 0xFF081A20u);
    rig.Set_Playing(5000, 2, 12);
    Frame(scene);
    EXPECT_GT(rig.Brightness(), 0u);
}

TEST(Line_Part_2, OverlayCuesOfOrders30To32AreLaidFromRow60)
{
    Line_Scene_Rig rig;
    for (int i = 0; i < 8; ++i)
        Memory_Images::Flat(c_names[i], 640, 420, std::uint8_t(20 + 20 * i));
    Line_Part_2 scene = Make(rig, {1, 0, 0xFF065179u});

    // The cue tables, by image: rows of order 30, of order 31, of order 32.
    const std::vector<int> rows[3][8] = {
        {{0, 10, 16, 23}, {3, 13, 20, 26}, {7, 15, 19, 29}, {9, 31}, {}, {}, {}, {}},
        {{0, 10, 16, 23}, {6, 13, 20, 26}, {7, 15, 19, 29}, {9, 31}, {}, {}, {}, {}},
        {{},
         {},
         {},
         {},
         {0, 17, 24, 29},
         {4, 13, 18, 22, 27, 30},
         {10, 14, 16, 19, 21, 25, 31},
         {12, 15, 20, 23, 26, 28}},
    };
    int shown = -1;
    std::uint32_t ms = 1000;
    for (int order = 29; order <= 33; ++order)
        for (int row = 0; row < 64; ++row)
        {
            rig.Set_Ahead(ms += 20, order, row);
            Frame(scene);
            if (order >= 30 && order <= 32 && !(order == 32 && row >= 32))
                for (int image = 0; image < 8; ++image)
                    for (int cue : rows[order - 30][image])
                        if (cue == row % 32)
                            shown = image;
            if (order >= 33)
                shown = -1;
            std::uint32_t grey = shown < 0 ? 0u : std::uint32_t(20 + 20 * shown) * 0x010101u;
            ASSERT_EQ(rig.Rgb(0, 60), grey) << "order " << order << " row " << row;
            ASSERT_EQ(rig.Rgb(639, 479), grey) << "order " << order << " row " << row;
            ASSERT_EQ(rig.Rgb(639, 59), 0u) << "nothing above row 60";
        }
}

TEST(Line_Part_2, FadeFromOrder33ReachesBlackAfterAbout9Point3Seconds)
{
    Line_Scene_Rig rig;
    Memory_Images::Flat(c_names[0], 640, 420, 40);
    Line_Part_2 scene = Make(rig);
    rig.Set_Ahead(1000, 32, 63);
    Frame(scene);
    // From the first frame of look-ahead order 33 the flash is a random level
    // under a falling ceiling, every frame, whatever the rows do.
    std::uint64_t early = 0, late = 0;
    for (int f = 0; f < 20; ++f)
    {
        rig.Set_Ahead(2000 + f * 10, 33, 1 + f);
        Frame(scene);
        EXPECT_EQ(scene.Get_Overlay(), nullptr);
        early = std::max(early, rig.Brightness());
    }
    for (int f = 0; f < 20; ++f)
    {
        rig.Set_Ahead(2000 + 8500 + f * 10, 33, 30 + f);
        Frame(scene);
        late = std::max(late, rig.Brightness());
    }
    EXPECT_GT(early, 0u);
    EXPECT_LT(late, early);
    for (int f = 0; f < 20; ++f)
    {
        rig.Set_Ahead(2000 + 9310 + f * 100, 34, f * 2);
        Frame(scene);
        ASSERT_EQ(rig.Brightness(), 0u) << "frame " << f;
    }
}

TEST(Line_Part_2, OversizedAndUnusableImagesAreClippedOrSkippedAndReportedAtLoad)
{
    Line_Scene_Rig rig;
    Memory_Images::Flat(c_names[0], 640, 480, 60);  // 60 rows too many
    Memory_Images::Table()[c_names[1]] =
        Ryx_Test::Image_Data{640, 420, 4, std::vector<std::uint8_t>(640 * 420 * 4, 90)};
    Memory_Images::Flat(c_names[2], 100, 10, 30);  // small images are fine
    testing::internal::CaptureStderr();
    Line_Part_2 scene = Make(rig, {1, 0, 0xFF065179u});
    std::string load = testing::internal::GetCapturedStderr();
    EXPECT_NE(load.find(c_names[0]), std::string::npos);
    EXPECT_NE(load.find(c_names[1]), std::string::npos);
    EXPECT_EQ(load.find(c_names[2]), std::string::npos);
    EXPECT_NE(load.find(c_names[3]), std::string::npos) << "missing";

    testing::internal::CaptureStderr();
    rig.Set_Ahead(100, 30, 0);
    Frame(scene);
    EXPECT_EQ(rig.Rgb(0, 60), 0x3C3C3Cu);
    EXPECT_EQ(rig.Rgb(639, 479), 0x3C3C3Cu) << "laid up to the frame's last pixel, no further";
    rig.Set_Ahead(200, 30, 3);
    Frame(scene);
    EXPECT_EQ(rig.Rgb(0, 60), 0u) << "four bytes a pixel: skipped";
    rig.Set_Ahead(300, 30, 7);
    Frame(scene);
    EXPECT_EQ(rig.Rgb(0, 60), 0x1E1E1Eu);
    EXPECT_EQ(rig.Rgb(359, 61), 0x1E1E1Eu) << "a small image runs on linearly";
    EXPECT_EQ(rig.Rgb(360, 61), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Line_Part_2, CueStateIsSeparateFromTheOpeningScenes)
{
    Line_Scene_Rig rig;
    Line_Part_2 closing = Make(rig);
    Line_Part opening(&rig.window, {0, 500, 0xFF121F16u}, &Memory_Images::Load);
    rig.Set_Ahead(5000, 1, 4);
    opening.Update();
    opening.Render();  // the opening scene's flash and previous row change
    EXPECT_GT(rig.Brightness(), 0u);
    rig.Set_Playing(5000, 30, 3);  // an odd row: no flash of the closing scene's own
    Frame(closing);
    EXPECT_EQ(rig.Brightness(), 0u);
    rig.Set_Playing(5000, 30, 4);  // and it flashes on its own beat
    Frame(closing);
    EXPECT_GT(rig.Brightness(), 0u);
}
