// The TGA loader: orientation, run-length packets, the skipped parts of the
// file, round trips with the writer in every form, and untrusted files.
#include "Tests/Test_Texture_Files.h"

#include <sys/stat.h>
#include <algorithm>

#include "Code/Texture_Limits.h"
#include "Tests/Support/Assertion_Recorder.h"

using namespace Ryx_Test;
using Ryx_Vektu::Load_TGA_Texture;
using Bytes = std::vector<std::uint8_t>;

namespace
{
    Bytes Header(int type, int width, int height, int depth, int descriptor, int id_length = 0, int map_type = 0,
                 int map_length = 0, int map_bits = 0)
    {
        return {std::uint8_t(id_length),
                std::uint8_t(map_type),
                std::uint8_t(type),
                0,
                0,
                std::uint8_t(map_length),
                std::uint8_t(map_length >> 8),
                std::uint8_t(map_bits),
                0,
                0,
                0,
                0,
                std::uint8_t(width),
                std::uint8_t(width >> 8),
                std::uint8_t(height),
                std::uint8_t(height >> 8),
                std::uint8_t(depth),
                std::uint8_t(descriptor)};
    }

    Bytes Cat(Bytes a, const Bytes& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    // Loads bytes written to a file; checks the size and bytes per pixel.
    Bytes Load(const Bytes& file, int width, int height, int bpp)
    {
        Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_TGA_Texture(Texture_Test_File("t.tga", file).c_str());
        EXPECT_TRUE(t);
        if (!t)
            return {};
        EXPECT_EQ(t->Get_Width(), width);
        EXPECT_EQ(t->Get_Height(), height);
        EXPECT_EQ(t->Get_Bytes_Per_Pixel(), bpp);
        return Texture_Bytes(*t);
    }

    Bytes Load_Empty(const Bytes& file)
    {
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_TGA_Texture(Texture_Test_File("t.tga", file).c_str());
        const std::string err = testing::internal::GetCapturedStderr();
        Expect_Empty(t.Get());
        EXPECT_NE(err.find("t.tga"), std::string::npos) << err;
        return {};
    }
}

TEST(Texture_TGA, Orientation_Follows_The_Descriptor)
{
    // 2 x 2 grey, stored rows "1 2" then "3 4".
    const Bytes stored = {1, 2, 3, 4};
    const std::pair<int, Bytes> cases[] = {{0x00, {3, 4, 1, 2}}, {0x08, {3, 4, 1, 2}}, {0x20, {1, 2, 3, 4}},
                                           {0x28, {1, 2, 3, 4}}, {0x10, {1, 2, 3, 4}}, {0x18, {4, 3, 2, 1}},
                                           {0x40, {1, 2, 3, 4}}, {0xF8, {1, 2, 3, 4}}};
    for (const auto& [descriptor, memory] : cases)
        EXPECT_EQ(Load(Cat(Header(3, 2, 2, 8, descriptor), stored), 2, 2, 1), memory) << descriptor;

    // 32-bit bottom-left 4 x 2: the first four pixels are the second stored row.
    Bytes rows(32);
    for (int i = 0; i < 32; ++i)
        rows[i] = std::uint8_t(i);
    const Bytes loaded = Load(Cat(Header(2, 4, 2, 32, 0x08), rows), 4, 2, 4);
    EXPECT_EQ(Bytes(loaded.begin(), loaded.begin() + 16), Bytes(rows.begin() + 16, rows.end()));
    EXPECT_EQ(Bytes(loaded.begin() + 16, loaded.end()), Bytes(rows.begin(), rows.begin() + 16));
}

TEST(Texture_TGA, Run_Length_Packets)
{
    // 0x80 one pixel once; 0xFF one pixel 128 times; 0x00 one raw; 0x7F 128 raw.
    Bytes packets = {0x80, 0xA1, 0xFF, 0xB2, 0x00, 0xC3, 0x7F};
    Bytes expected = {0xA1};
    expected.insert(expected.end(), 128, 0xB2);
    expected.push_back(0xC3);
    for (int i = 0; i < 128; ++i)
    {
        packets.push_back(std::uint8_t(i));
        expected.push_back(std::uint8_t(i));
    }
    EXPECT_EQ(Load(Cat(Header(11, 258, 1, 8, 0x20), packets), 258, 1, 1), expected);

    // Packets cross rows; 24-bit pixels keep their three bytes.
    const Bytes across = {0x82, 1, 2, 3, 0x00, 4, 5, 6};
    EXPECT_EQ(Load(Cat(Header(10, 2, 2, 24, 0x20), across), 2, 2, 3), (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6}));
}

TEST(Texture_TGA, Stored_Bytes_Kept_And_Skipped_Parts_Skipped)
{
    // Type 0: zero bytes, nothing read.
    EXPECT_EQ(Load(Header(0, 3, 2, 16, 0x20), 3, 2, 2), Bytes(12, 0));

    // 16-bit words stay as stored; an 8-bit colour-mapped image keeps its
    // indices; the first pixel comes right after the image ID and the map.
    const Bytes id = {'a', 'b', 'c', 'd', 'e'};
    const Bytes map(3 * 3, 0xEE);  // three 24-bit entries
    EXPECT_EQ(Load(Cat(Cat(Cat(Header(1, 2, 1, 8, 0x20, 5, 1, 3, 24), id), map), {7, 9}), 2, 1, 1), (Bytes{7, 9}));
    const Bytes map15(4 * 2, 0xEE);  // four 15-bit entries, two bytes each
    EXPECT_EQ(Load(Cat(Cat(Header(2, 2, 1, 16, 0x20, 0, 1, 4, 15), map15), {0x34, 0x12, 0xFF, 0x7F}), 2, 1, 2),
              (Bytes{0x34, 0x12, 0xFF, 0x7F}));
    // An entry size without a mapping stores no bytes for the map.
    EXPECT_EQ(Load(Cat(Header(3, 2, 1, 8, 0x20, 0, 1, 50, 12), {5, 6}), 2, 1, 1), (Bytes{5, 6}));
}

TEST(Texture_TGA, Writer_Round_Trip_In_Every_Form)
{
    const int w = 37, h = 5;  // odd width: a mirror bug cannot cancel out
    for (int depth : {8, 15, 16, 24, 32})
    {
        const int bpp = depth == 8 ? 1 : depth <= 16 ? 2 : depth / 8;
        Bytes pixels(std::size_t(w) * h * bpp);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = std::uint8_t(i < pixels.size() / 3 ? 0x42 : (i * 13) ^ (i >> 3));  // runs and noise
        for (bool rle : {false, true})
            for (bool map : {false, true})
                for (std::uint8_t descriptor : {0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30})
                {
                    Ryx_Tools::Tga_Options o;
                    o.depth = depth;
                    o.run_length = rle;
                    o.colour_map = map;
                    o.colour_map_entry_bits = map ? 16 : 24;
                    o.colour_map_length = 200;
                    o.image_id = map ? "an image id" : "";
                    o.descriptor = descriptor;
                    EXPECT_EQ(Load(Ryx_Tools::Encode_TGA(w, h, pixels.data(), o), w, h, bpp), pixels)
                        << depth << " " << rle << " " << map << " " << int(descriptor);
                }
    }
}

TEST(Texture_TGA, Unusable_Files_Give_An_Empty_Texture_And_A_Line)
{
    Assertion_Recorder reports;

    testing::internal::CaptureStderr();
    Ryx_Lib::Single<Ryx_Vektu::Texture> missing = Load_TGA_Texture("no/such/dir/missing.tga");
    const std::string err = testing::internal::GetCapturedStderr();
    Expect_Empty(missing.Get());
    EXPECT_NE(err.find("missing.tga"), std::string::npos);
    EXPECT_NE(err.find("No such file"), std::string::npos) << err;

    Load_Empty({});  // empty file
    Bytes short_header = Header(2, 1, 1, 8, 0x20);
    short_header.pop_back();
    Load_Empty(short_header);
    Load_Empty(Cat(Header(4, 1, 1, 8, 0x20), {1}));  // unsupported types
    Load_Empty(Cat(Header(12, 1, 1, 8, 0x20), {1}));
    Load_Empty(Cat(Header(2, 1, 1, 12, 0x20), {1, 2}));  // unsupported depth
    Load_Empty(Header(2, 0, 1, 8, 0x20));                // sizes not positive
    Load_Empty(Header(2, 1, 0, 8, 0x20));
    Load_Empty(Header(2, -5, 4, 8, 0x20));
    Load_Empty(Header(2, 4, 0x8000, 32, 0x20));  // -32768 rows
    // A header alone claiming more than the bound: refused before allocating.
    Load_Empty(Header(0, 32767, 32767, 32, 0x20));
    Load_Empty(Header(0, 8192, 8193, 8, 0x20));

    EXPECT_TRUE(reports.Reports().empty());  // the TGA loader shows no box

    // Destroying an empty texture is safe.
    missing = Ryx_Lib::Single<Ryx_Vektu::Texture>();
}

TEST(Texture_TGA, Short_Files_And_Long_Packets_Stay_In_The_Buffer)
{
    // Raw: two whole pixels and one byte of a third; the rest repeats pixel 2.
    EXPECT_EQ(Load(Cat(Header(2, 4, 1, 16, 0x20), {1, 2, 3, 4, 5}), 4, 1, 2), (Bytes{1, 2, 3, 4, 3, 4, 3, 4}));
    // Nothing at all after the header: zero bytes, every one defined.
    EXPECT_EQ(Load(Header(2, 3, 1, 24, 0x20), 3, 1, 3), Bytes(9, 0));
    // Run-length: the file ends inside a raw packet, then before a header.
    EXPECT_EQ(Load(Cat(Header(11, 5, 1, 8, 0x20), {0x04, 9, 8}), 5, 1, 1), (Bytes{9, 8, 8, 8, 8}));
    EXPECT_EQ(Load(Cat(Header(11, 5, 1, 8, 0x20), {0x81, 6}), 5, 1, 1), (Bytes{6, 6, 6, 6, 6}));
    // A run and a raw packet longer than the image are cut at its end.
    EXPECT_EQ(Load(Cat(Header(10, 2, 1, 32, 0x20), {0xFF, 1, 2, 3, 4}), 2, 1, 4), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
    Bytes raw = {0x7F};
    for (int i = 0; i < 128 * 3; ++i)
        raw.push_back(std::uint8_t(i));
    EXPECT_EQ(Load(Cat(Header(10, 3, 1, 24, 0x20), raw), 3, 1, 3), Bytes(raw.begin() + 1, raw.begin() + 10));
    // 32767 x 1 is within the bound even from a 19-byte file.
    EXPECT_EQ(Load(Cat(Header(11, 32767, 1, 8, 0x20), {0x80}), 32767, 1, 1), Bytes(32767, 0));
}

// A damaged file still gives a picture, and one line naming it and the
// damage; something that is not a file (a FIFO would block the open for ever)
// is refused before it is opened.
TEST(Texture_TGA, Damaged_Files_And_Non_Files_Are_Named_In_One_Line)
{
    struct Case
    {
        Bytes file;
        const char* line;  // null: a whole file, no line
    };
    const Case cases[] = {
        {Cat(Header(2, 4, 1, 16, 0x20), {1, 2, 3, 4, 5}), "damaged: the file ends early, after 2 of 4 pixels"},
        {Cat(Header(11, 5, 1, 8, 0x20), {0x04, 9, 8}), "damaged: the file ends early, after 2 of 5 pixels"},
        {Cat(Header(11, 5, 1, 8, 0x20), {0x81, 6}), "damaged: the file ends early, after 2 of 5 pixels"},
        {Cat(Header(10, 2, 1, 32, 0x20), {0xFF, 1, 2, 3, 4}),
         "damaged: a run-length packet runs past the image's end, after 0 of 2 pixels"},
        {Cat(Header(11, 3, 1, 8, 0x20), {0x82, 7}), nullptr},
    };
    for (const Case& c : cases)
    {
        const std::string path = Texture_Test_File("d.tga", c.file);
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_TGA_Texture(path.c_str());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_GT(t->Get_Width(), 0);
        if (!c.line)
        {
            EXPECT_EQ(err, "");
            continue;
        }
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(path + ": " + c.line), std::string::npos) << err;
    }
    Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_TGA_Texture(testing::TempDir().c_str());  // a folder
    Expect_Empty(t.Get());
}

TEST(Texture_TGA, A_FIFO_Is_Refused_Before_It_Is_Opened)
{
    const std::string fifo = Texture_Test_Path("fifo.tga");
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_TGA_Texture(fifo.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    Expect_Empty(t.Get());
    EXPECT_EQ(err, "Load_TGA_Texture: " + fifo + " is a FIFO, not a file; not read\n");
}

// Every prefix of a file, so that each part of the decoder meets the end of
// the bytes: the header, the image ID, the colour map, a packet header and a
// packet's pixels.
TEST(Texture_TGA, Bytes_In_Memory_Decode_As_The_Same_File_Does)
{
    Assertion_Recorder reports;
    const int w = 9, h = 4;
    Bytes pixels(std::size_t(w) * h * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i < 30 ? 0x42 : i * 29);  // a run, then noise
    Ryx_Tools::Tga_Options o;
    o.depth = 24;
    o.run_length = true;
    o.colour_map = true;
    o.colour_map_entry_bits = 16;
    o.colour_map_length = 3;
    o.image_id = "id";
    o.descriptor = 0x18;
    const Bytes file = Ryx_Tools::Encode_TGA(w, h, pixels.data(), o);
    for (std::size_t n = 0; n <= file.size(); ++n)
        Expect_Memory_Decodes_As_File(Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)), "cut.tga", TGA_Entries,
                                      reports);

    Ryx_Lib::Single<Ryx_Vektu::Texture> whole = Ryx_Vektu::Decode_TGA(file, "whole.tga");
    EXPECT_EQ(Texture_Bytes(*whole), pixels);
}
