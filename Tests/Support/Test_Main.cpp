// The tests' entry: no report may ever wait on a modal box.
#include <gtest/gtest.h>
#include "Platform/Report.h"

int main(int argc, char** argv)
{
    Ryx_Platform::Set_Assertion_Boxes(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
