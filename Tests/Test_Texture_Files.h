// Files for the texture tests: each test writes its inputs into a folder of
// its own under the build tree and loads them back by relative-free paths.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Code/Texture.h"
#include "Tools/Image_Writer/Image_Writer.h"

namespace Ryx_Test
{
    inline std::string Texture_Test_Path(const std::string& name)
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path dir = std::filesystem::path(RYX_BIN_DIR) / "Test_Files" / "Texture" /
            (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::create_directories(dir);
        return (dir / name).string();
    }

    inline std::string Texture_Test_File(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = Texture_Test_Path(name);
        EXPECT_TRUE(Ryx_Tools::Write_File(path, bytes)) << path;
        return path;
    }

    inline std::vector<std::uint8_t> Texture_Bytes(Ryx_Vektu::Texture& t)
    {
        const std::size_t size = std::size_t(t.Get_Width()) * t.Get_Height() * t.Get_Bytes_Per_Pixel();
        const auto* p = static_cast<const std::uint8_t*>(t.Get_Pixels());
        return p ? std::vector<std::uint8_t>(p, p + size) : std::vector<std::uint8_t>();
    }

    inline void Expect_Empty(Ryx_Vektu::Texture* t)
    {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Get_Width(), 0);
        EXPECT_EQ(t->Get_Height(), 0);
        EXPECT_EQ(t->Get_Pixels(), nullptr);
    }
}
