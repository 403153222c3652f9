// The show loop, driven headless: scripted music positions, recording scenes,
// the frames it presents caught by the offline sink.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "Code/Engine.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Platform/Keyboard.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Platform/Test/Input_Hooks.h"
#include "Tests/Support/Memory_Window.h"

using namespace Ryx_Vektu;

namespace
{
    std::uint32_t Packed(std::uint32_t order, std::uint32_t row) { return order | row << 16; }

    // What the scenes and the display did, in order.
    std::vector<std::string> s_log;
    Window* s_display = nullptr;
    const std::uint32_t Marker = 0xFF00ABCDu;

    class Recording_Scene : public Effect
    {
    public:
        explicit Recording_Scene(int index) : m_index(index) { s_log.push_back("create " + std::to_string(index)); }
        ~Recording_Scene() override { s_log.push_back("destroy " + std::to_string(m_index)); }
        // Tells whether the frame buffer was wiped since the last Render.
        void Update() override
        {
            bool cleared = s_display->Get_Buffer()[0] != Marker;
            s_log.push_back("update " + std::to_string(m_index) + (cleared ? " cleared" : ""));
            m_time = Get_Timer()->Get_Time();
            EXPECT_EQ(m_time, 5.0) << "the frame's reading of the clock, taken after Reset";
        }
        void Render() override
        {
            EXPECT_EQ(Get_Timer()->Get_Time(), m_time) << "one reading per frame";
            s_display->Get_Buffer()[0] = Marker;
        }

    private:
        int m_index;
        double m_time = 0.0;
    };

    void Recording_Roster(Window* display, Ryx_Lib::Single<Effect> (&scenes)[4])
    {
        s_display = display;
        for (int i = 0; i < 4; ++i)
            scenes[i] = Ryx_Lib::Single<Effect>(new Recording_Scene(i));
        // Stands for the loading picture, which the first frame must wipe.
        display->Get_Buffer()[0] = Marker;
    }

    void Count_Present(const std::uint32_t*, int, int, void*) { s_log.push_back("present"); }

    // Sets the playing position that the next frame reads; presses Escape
    // or throws on the frames it is told to.
    class Script : public Ryx_Lib::Callback
    {
    public:
        explicit Script(std::vector<std::uint32_t> positions) : m_positions(std::move(positions))
        {
            Ryx_Platform::Audio_Script_Position(m_positions.at(0));
        }
        void Execute() override
        {
            s_log.push_back("execute");
            ++m_frame;
            if (m_frame == m_escape_at)
                Ryx_Platform::Keyboard_Press(Ryx_Platform::VK_ESCAPE);
            if (m_frame == m_throw_at)
                throw 42;
            if (m_frame < m_positions.size())
                Ryx_Platform::Audio_Script_Position(m_positions[m_frame]);
            else
                Ryx_Platform::Keyboard_Press(Ryx_Platform::VK_ESCAPE);  // a runaway loop still ends
        }
        std::size_t m_frame = 0;
        std::size_t m_escape_at = 0;
        std::size_t m_throw_at = 0;

    private:
        std::vector<std::uint32_t> m_positions;
    };

    class Engine_Test : public testing::Test
    {
    protected:
        void SetUp() override
        {
            s_log.clear();
            Ryx_Platform::Set_Frame_Sink(&Count_Present, nullptr);
            Ryx_Platform::Set_Virtual_Time(5000);
            Ryx_Platform::GetAsyncKeyState(Ryx_Platform::VK_ESCAPE);  // forget earlier presses
        }
        void TearDown() override
        {
            Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);
            Ryx_Platform::Audio_Script_Position(-1);
            Ryx_Platform::Use_Real_Time();
        }
        std::vector<std::string> Only(const std::string& prefix) const
        {
            std::vector<std::string> lines;
            for (const std::string& line : s_log)
                if (line.rfind(prefix, 0) == 0)
                    lines.push_back(line);
            return lines;
        }
        int Count(const std::string& line) const
        {
            int n = 0;
            for (const std::string& l : s_log)
                n += l == line;
            return n;
        }
    };
}

TEST(Scene_Table, IndexFollowsTheTableAndOtherOrdersKeepIt)
{
    const int expected[37] = {0,  -1, -1, -1, -1, -1, -1, -1, -1, -1, 1,  -1, -1, -1, 1,  -1, -1, -1, 1,
                              -1, -1, -1, 2,  -1, -1, -1, -1, -1, -1, -1, 3,  -1, -1, -1, -1, -1, -1};
    for (int order = 0; order < 37; ++order)
        EXPECT_EQ(Scene_Of_Order(order), expected[order]) << order;
    EXPECT_EQ(Scene_Of_Order(-1), -1);
    EXPECT_EQ(Scene_Of_Order(0x10000), -1);
}

TEST_F(Engine_Test, SceneFollowsLookAheadOrderAndNewHighestOrdersClear)
{
    {
        Engine_Impl engine(nullptr, nullptr, true, &Recording_Roster);
        EXPECT_EQ(Count("present"), 1) << "the loading picture is presented at construction";
        Script script({Packed(0, 0),     // look-ahead 0: scene 0, the first pass clears
                       Packed(9, 63),    // look-ahead 10: scene 1 and a clear in the same pass
                       Packed(10, 5),    // same order: no clear
                       Packed(11, 0),    // new order: clear, scene 1 kept
                       Packed(22, 0),    // scene 2
                       Packed(14, 3),    // jump back: scene 1, no clear
                       Packed(25, 0),    // not in the table: scene 1 kept, new highest: clear
                       Packed(30, 0),    // scene 3
                       Packed(36, 0)});  // the end, before anything is drawn
        engine.Run(&script);
    }
    std::vector<std::string> expected_updates = {"update 0 cleared", "update 1 cleared", "update 1",
                                                 "update 1 cleared", "update 2 cleared", "update 1",
                                                 "update 1 cleared", "update 3 cleared"};
    EXPECT_EQ(Only("update"), expected_updates);
    EXPECT_EQ(Count("present"), 1 + 8) << "the pass at order 36 presents nothing";
    EXPECT_EQ(Count("execute"), 8);
    std::vector<std::string> lifecycle = {"create 0",  "create 1",  "create 2",  "create 3",
                                          "destroy 3", "destroy 2", "destroy 1", "destroy 0"};
    std::vector<std::string> found;
    for (const std::string& line : s_log)
        if (line.rfind("create", 0) == 0 || line.rfind("destroy", 0) == 0)
            found.push_back(line);
    EXPECT_EQ(found, lifecycle);
}

TEST_F(Engine_Test, EachFrameIsPumpThenSceneThenPresent)
{
    Engine_Impl engine(nullptr, nullptr, true, &Recording_Roster);
    Script script({Packed(0, 0), Packed(0, 1), Packed(36, 0)});
    engine.Run(&script);
    std::vector<std::string> frames(s_log.begin() + 5, s_log.end());  // after the loading present and creation
    std::vector<std::string> expected = {"execute", "update 0 cleared", "present",   "execute",   "update 0",
                                         "present", "destroy 3",        "destroy 2", "destroy 1", "destroy 0"};
    EXPECT_EQ(frames, expected);
}

TEST_F(Engine_Test, EscapePressedBetweenPollsEndsTheLoop)
{
    Engine_Impl engine(nullptr, nullptr, true, &Recording_Roster);
    Script script(std::vector<std::uint32_t>(100, Packed(1, 0)));
    script.m_escape_at = 3;
    engine.Run(&script);
    EXPECT_EQ(Only("update").size(), 3u) << "the frame of the press is still drawn and presented";
    EXPECT_EQ(Count("present"), 1 + 3);
    EXPECT_EQ(Ryx_Platform::GetAsyncKeyState(Ryx_Platform::VK_ESCAPE), 0) << "the query cleared the latch";
}

TEST_F(Engine_Test, ExceptionFromThePumpPassesAndTheEngineStillFreesTheMusic)
{
    {
        Engine_Impl engine(nullptr, nullptr, true, &Recording_Roster);
        EXPECT_NE(Get_Music(), nullptr);
        EXPECT_NE(Get_Timer(), nullptr);
        Script script(std::vector<std::uint32_t>(100, Packed(2, 0)));
        script.m_throw_at = 2;
        EXPECT_THROW(engine.Run(&script), int);
        EXPECT_EQ(Only("update").size(), 1u);
        EXPECT_EQ(s_log.back(), "destroy 0") << "the scenes die as the exception leaves Run";
    }
    EXPECT_EQ(Get_Music(), nullptr);
    EXPECT_EQ(Get_Timer(), nullptr);
}

TEST_F(Engine_Test, WorksWithoutWindowOrDisplayAndTheShowsOwnRoster)
{
    Ryx_Lib::Single<Engine> engine = Create_Engine(nullptr, nullptr, false);
    Script script({Packed(0, 0), Packed(12, 0), Packed(23, 0), Packed(31, 0), Packed(36, 0)});
    engine->Run(&script);
    EXPECT_EQ(Count("present"), 1 + 4);
}

TEST(Loading_Picture, LandsFromRow60AndIsCutToTheFrame)
{
    Ryx_Test::Memory_Window window(640, 480);
    std::vector<std::uint32_t> picture(640 * 360);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = 0xFF000000u | static_cast<std::uint32_t>(i);
    Copy_Loading_Picture(window, picture.data(), 640, 360);
    EXPECT_EQ(window.At(639, 59), 0u);
    EXPECT_EQ(window.At(0, 60), picture[0]);
    EXPECT_EQ(window.At(639, 419), picture.back());
    EXPECT_EQ(window.At(0, 420), 0u);

    // Larger in both directions: cut to the frame's width and its last row.
    Ryx_Test::Memory_Window cut(640, 480);
    std::vector<std::uint32_t> large(700 * 500);
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = 0xFF000000u | static_cast<std::uint32_t>(i);
    Copy_Loading_Picture(cut, large.data(), 700, 500);
    EXPECT_EQ(cut.At(639, 60), large[639]);
    EXPECT_EQ(cut.At(0, 61), large[700]) << "row by row, not a linear copy";
    EXPECT_EQ(cut.At(639, 479), large[419 * 700 + 639]);

    // Narrower: each row keeps its place; the rest of the row stays black.
    Ryx_Test::Memory_Window narrow(640, 480);
    std::vector<std::uint32_t> small(100 * 10, 0xFFFFFFFFu);
    Copy_Loading_Picture(narrow, small.data(), 100, 10);
    EXPECT_EQ(narrow.At(99, 61), 0xFFFFFFFFu);
    EXPECT_EQ(narrow.At(100, 61), 0u);
    EXPECT_EQ(narrow.At(0, 70), 0u);

    // Empty or a frame too small to reach row 60: nothing.
    Ryx_Test::Memory_Window tiny(16, 40);
    Copy_Loading_Picture(tiny, small.data(), 100, 10);
    Copy_Loading_Picture(window, nullptr, 0, 0);
    for (std::uint32_t p : tiny.Pixels())
        ASSERT_EQ(p, 0u);
}
