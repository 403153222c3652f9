// The shade tables against their closed formulas, and the shared instances.
#include <gtest/gtest.h>

#include "Code/Shader.h"

using Ryx_Vektu::Shader;

TEST(Shader, Shader_1TableMatchesTheFormulaAndWorkedEntries)
{
    Ryx_Vektu::Shader_1 shader;
    ASSERT_NE(shader.table, nullptr);
    EXPECT_EQ(shader.Get_Levels(), 512);
    for (int r = 0; r < 512; ++r)
        for (int k = 0; k < 256; ++k)
        {
            const int expected = r < 256 ? (r * k) >> 8 : k + (((r - 256) * (255 - k)) >> 8);
            ASSERT_EQ(shader.table[256 * r + k], expected) << "level " << r << " value " << k;
        }
    const std::uint8_t* t = shader.table;
    EXPECT_EQ(t[256 * 128 + 200], 100);
    EXPECT_EQ(t[256 * 255 + 255], 254);
    EXPECT_EQ(t[256 * 384 + 0], 127);
    EXPECT_EQ(t[256 * 511 + 128], 254);
    EXPECT_EQ(t[256 * 511 + 0], 254);
    EXPECT_EQ(t[256 * 511 + 255], 255);
    for (int k = 0; k < 256; ++k)
    {
        EXPECT_EQ(t[256 * 256 + k], k);  // identity
        EXPECT_EQ(t[k], 0);              // black
    }
}

TEST(Shader, Shader_2IsTheScalingHalf)
{
    Ryx_Vektu::Shader_2 shader;
    ASSERT_NE(shader.table, nullptr);
    EXPECT_EQ(shader.Get_Levels(), 256);
    for (int r = 0; r < 256; ++r)
        for (int k = 0; k < 256; ++k)
            ASSERT_EQ(shader.table[256 * r + k], (r * k) >> 8);
    EXPECT_EQ(shader.table[256 * 255 + 255], 254);  // never 255
}

TEST(Shader, SharedInstancesLiveForTheWholeRun)
{
    Shader* first = Ryx_Vektu::Get_Shader();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Ryx_Vektu::Get_Shader(), first);
    EXPECT_EQ(first->Get_Levels(), 512);
    EXPECT_EQ(first->table[256 * 384 + 0], 127);

    // Built before main ran.
    ASSERT_TRUE(Ryx_Vektu::Line_Shader);
    EXPECT_EQ(Ryx_Vektu::Line_Shader->Get_Levels(), 256);
    EXPECT_EQ(Ryx_Vektu::Line_Shader->table[256 * 64 + 128], 32);
}
