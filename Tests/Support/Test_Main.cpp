// The tests' entry: no report may ever wait on a modal box.
#include <gtest/gtest.h>
#include <cstdlib>
#include "Platform/Report.h"

int main(int argc, char** argv)
{
    // Headless video and audio unless a test run asks for others.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Ryx_Platform::Set_Assertion_Boxes(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
