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
#include "Tests/Support/Assertion_Recorder.h"
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

    // A format's two entries, and the names their lines begin with.
    struct Texture_Entries
    {
        Ryx_Vektu::Texture_Loader load;
        const char* load_who;
        decltype(&Ryx_Vektu::Decode_TGA) decode;
        const char* decode_who;
    };
    inline const Texture_Entries TGA_Entries = {&Ryx_Vektu::Load_TGA_Texture, "Load_TGA_Texture",
                                                &Ryx_Vektu::Decode_TGA, "Decode_TGA"};
    inline const Texture_Entries JPG_Entries = {&Ryx_Vektu::Load_JPG_Texture, "Load_JPG_Texture",
                                                &Ryx_Vektu::Decode_JPG, "Decode_JPG"};

    // Loads bytes from a file and decodes the same bytes from memory, a heap
    // block of exactly their size so that the sanitizer build sees any read
    // past it. Both must give the same texture, the same reports, and the same
    // lines but for the function named at their start.
    inline void Expect_Memory_Decodes_As_File(const std::vector<std::uint8_t>& bytes, const char* file_name,
                                              const Texture_Entries& entries, Assertion_Recorder& reports)
    {
        const std::string path = Texture_Test_File(file_name, bytes);
        const std::vector<std::uint8_t> block(bytes);
        reports.Clear();
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Ryx_Vektu::Texture> from_file = entries.load(path.c_str());
        std::string file_lines = testing::internal::GetCapturedStderr();
        const std::size_t file_reports = reports.Reports().size();
        reports.Clear();
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Ryx_Vektu::Texture> from_memory = entries.decode(block, path.c_str());
        const std::string memory_lines = testing::internal::GetCapturedStderr();

        const std::string load_who = entries.load_who;
        for (std::size_t at = 0; (at = file_lines.find(load_who + ": ", at)) != std::string::npos;)
            file_lines.replace(at, load_who.size(), entries.decode_who);
        const std::string what = std::to_string(bytes.size()) + " bytes";
        ASSERT_TRUE(from_file && from_memory) << what;
        EXPECT_EQ(memory_lines, file_lines) << what;
        EXPECT_EQ(reports.Reports().size(), file_reports) << what;
        EXPECT_EQ(from_memory->Get_Width(), from_file->Get_Width()) << what;
        EXPECT_EQ(from_memory->Get_Height(), from_file->Get_Height()) << what;
        EXPECT_EQ(from_memory->Get_Bytes_Per_Pixel(), from_file->Get_Bytes_Per_Pixel()) << what;
        EXPECT_TRUE(Texture_Bytes(*from_memory) == Texture_Bytes(*from_file)) << what;
        EXPECT_STREQ(from_memory->Get_Name(), path.c_str());
    }

    inline void Expect_Empty(Ryx_Vektu::Texture* t)
    {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Get_Width(), 0);
        EXPECT_EQ(t->Get_Height(), 0);
        EXPECT_EQ(t->Get_Pixels(), nullptr);
    }
}
