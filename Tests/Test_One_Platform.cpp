// A test program holds one copy of the platform, the test library's, and its
// hooks reach the very state the show's code reads. Were the release library
// loaded beside it (through libLib.so, say), a hook would set one copy while
// the show read the other, and every test built on the hooks would test
// nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include "Code/DX_Window.h"
#include "Code/Music.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Platform/Test/Display_Probe.h"
#include "Tests/Support/Assertion_Recorder.h"

using namespace Ryx_Platform;

TEST(One_Platform, Hooks_Set_Through_The_Test_Library_Reach_The_Show)
{
    // A failed check of Code/ goes through Lib's reporter.
    Ryx_Test::Assertion_Recorder reports;
    Ryx_Lib::Single<Ryx_Vektu::Music> music = Ryx_Vektu::Create_Music("no such module.xm", nullptr, true);
    music->Get_Time();
    EXPECT_EQ(reports.Count("!\"not implemented!\""), 1);

    Audio_Script_Position(7 | 21 << 16);
    EXPECT_EQ(music->Get_Order(), 7u);
    EXPECT_EQ(music->Get_Row(), 21u);
    Audio_Script_Position(-1);

    Display_Probe probe;
    Use_Display_Probe(&probe);
    {
        Ryx_Lib::Single<Ryx_Vektu::Window> window = Ryx_Vektu::Create_DX_Window(nullptr, nullptr, 640, 480, 32);
        window->Present();
    }
    Use_Display_Probe(nullptr);
    EXPECT_EQ(probe.presents, 1);
}

// What the system itself says is loaded (Linux).
TEST(One_Platform, Neither_Release_Library_Is_Loaded)
{
    std::ifstream maps("/proc/self/maps");
    ASSERT_TRUE(maps);
    bool test_library = false;
    for (std::string line; std::getline(maps, line);)
    {
        EXPECT_EQ(line.find("/libPlatform.so"), std::string::npos) << line;
        EXPECT_EQ(line.find("/libLib.so"), std::string::npos) << line;
        test_library |= line.find("/libPlatform_Test.so") != std::string::npos;
    }
    EXPECT_TRUE(test_library);
}
