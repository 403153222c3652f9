// The image writers: header fields and layouts the loaders depend on, and
// round trips of the JPEG and PNG writers through their own libraries.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <png.h>

#include "Code/JPG_Key.h"
#include "Tools/Image_Writer/Image_Writer.h"

using namespace Ryx_Tools;

namespace
{
    int U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

    // A plain TGA run-length decoder, independent of the show's loader.
    std::vector<std::uint8_t> Decode_Packets(const std::vector<std::uint8_t>& file, std::size_t at, std::size_t pixels,
                                             int bpp)
    {
        std::vector<std::uint8_t> out;
        while (out.size() < pixels * bpp && at < file.size())
        {
            const int h = file[at++];
            const int n = (h & 0x7F) + 1;
            if (h & 0x80)
            {
                for (int i = 0; i < n; ++i)
                    out.insert(out.end(), file.begin() + at, file.begin() + at + bpp);
                at += bpp;
            }
            else
            {
                out.insert(out.end(), file.begin() + at, file.begin() + at + std::size_t(n) * bpp);
                at += std::size_t(n) * bpp;
            }
        }
        EXPECT_EQ(at, file.size());
        return out;
    }
}

TEST(Image_Writer, Tga_Header_Map_And_Image_Id)
{
    const std::uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    Tga_Options o;
    o.depth = 8;
    o.colour_map = true;
    o.colour_map_entry_bits = 15;
    o.colour_map_length = 3;
    o.image_id = "id!";
    o.descriptor = 0x20;
    const std::vector<std::uint8_t> f = Encode_TGA(3, 2, pixels, o);
    ASSERT_EQ(f.size(), 18u + 3 + 3 * 2 + 6);
    EXPECT_EQ(f[0], 3);
    EXPECT_EQ(f[1], 1);
    EXPECT_EQ(f[2], 1);
    EXPECT_EQ(U16(f, 5), 3);
    EXPECT_EQ(f[7], 15);
    EXPECT_EQ(U16(f, 12), 3);
    EXPECT_EQ(U16(f, 14), 2);
    EXPECT_EQ(f[16], 8);
    EXPECT_EQ(f[17], 0x20);
    EXPECT_EQ(std::string(f.begin() + 18, f.begin() + 21), "id!");
    EXPECT_EQ(std::vector<std::uint8_t>(f.end() - 6, f.end()), std::vector<std::uint8_t>(pixels, pixels + 6));

    o.colour_map = false;
    EXPECT_EQ(Encode_TGA(3, 2, pixels, o)[2], 3);  // grey
    o.depth = 16;
    EXPECT_EQ(Encode_TGA(3, 1, pixels, o)[2], 2);  // true colour
    o.run_length = true;
    EXPECT_EQ(Encode_TGA(3, 1, pixels, o)[2], 10);

    o.depth = 12;
    EXPECT_TRUE(Encode_TGA(3, 1, pixels, o).empty());
    o.depth = 8;
    EXPECT_TRUE(Encode_TGA(0, 1, pixels, o).empty());
}

TEST(Image_Writer, Tga_Orientation_Stores_Rows_As_The_Descriptor_Says)
{
    // 2 x 2, one byte a pixel: top row 1 2, bottom row 3 4.
    const std::uint8_t pixels[4] = {1, 2, 3, 4};
    Tga_Options o;
    o.depth = 8;
    const std::pair<std::uint8_t, std::vector<std::uint8_t>> cases[] = {{0x00, {3, 4, 1, 2}}, {0x08, {3, 4, 1, 2}},
                                                                        {0x10, {1, 2, 3, 4}}, {0x18, {4, 3, 2, 1}},
                                                                        {0x20, {1, 2, 3, 4}}, {0x28, {1, 2, 3, 4}}};
    for (const auto& [descriptor, stored] : cases)
    {
        o.descriptor = descriptor;
        const std::vector<std::uint8_t> f = Encode_TGA(2, 2, pixels, o);
        EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 18, f.end()), stored) << int(descriptor);
    }
}

TEST(Image_Writer, Tga_Run_Length_Packets_Decode_To_The_Raw_Stream)
{
    // Runs longer than 128, single pixels, and runs across rows.
    const int w = 100, h = 5, bpp = 3;
    std::vector<std::uint8_t> pixels(std::size_t(w) * h * bpp);
    for (int i = 0; i < w * h; ++i)
    {
        const int v = i < 300 ? 7 : (i % 3 == 0 ? i : i / 2);
        pixels[i * bpp + 0] = std::uint8_t(v);
        pixels[i * bpp + 1] = std::uint8_t(v >> 8);
        pixels[i * bpp + 2] = 9;
    }
    Tga_Options o;
    o.depth = 24;
    o.descriptor = 0x20;
    const std::vector<std::uint8_t> raw = Encode_TGA(w, h, pixels.data(), o);
    o.run_length = true;
    const std::vector<std::uint8_t> rle = Encode_TGA(w, h, pixels.data(), o);
    EXPECT_EQ(rle[2], 10);
    EXPECT_LT(rle.size(), raw.size());
    EXPECT_EQ(Decode_Packets(rle, 18, std::size_t(w) * h, bpp), std::vector<std::uint8_t>(raw.begin() + 18, raw.end()));
}

TEST(Image_Writer, Jpeg_And_Png_Read_Back_Through_Their_Libraries)
{
    const int w = 16, h = 8;
    std::vector<std::uint32_t> pixels(w * h, 0xFF4080C0u);
    const std::vector<std::uint8_t> colour = Encode_JPEG(w, h, pixels.data(), 95, false);
    const std::vector<std::uint8_t> grey = Encode_JPEG(w, h, pixels.data(), 95, true);
    ASSERT_GT(colour.size(), 2u);
    EXPECT_EQ(colour[0], 0xFF);
    EXPECT_EQ(colour[1], 0xD8);

    for (const auto* file : {&colour, &grey})
    {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file->data(), file->size());
        ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
        EXPECT_EQ(cinfo.image_width, JDIMENSION(w));
        EXPECT_EQ(cinfo.image_height, JDIMENSION(h));
        EXPECT_EQ(cinfo.num_components, file == &grey ? 1 : 3);
        jpeg_start_decompress(&cinfo);
        std::vector<unsigned char> row(std::size_t(w) * cinfo.output_components);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        if (file == &colour)
        {
            EXPECT_NEAR(row[0], 0x40, 3);
            EXPECT_NEAR(row[1], 0x80, 3);
            EXPECT_NEAR(row[2], 0xC0, 3);
        }
        else
            EXPECT_NEAR(row[0], (0x40 * 299 + 0x80 * 587 + 0xC0 * 114) / 1000, 3);
        jpeg_abort_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
    }
    EXPECT_TRUE(Encode_JPEG(0, 4, pixels.data()).empty());

    const std::vector<std::uint8_t> png1 = Encode_PNG(w, h, pixels.data(), 1);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png1.data(), png1.size()));
    EXPECT_EQ(image.width, png_uint_32(w));
    EXPECT_EQ(image.height, png_uint_32(h));
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> back(w * h);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, back.data(), 0, nullptr));
    EXPECT_EQ(back, pixels);
}

TEST(Image_Writer, Scramble_Is_The_Key_Stream_And_Its_Own_Inverse)
{
    std::vector<std::uint8_t> bytes(10000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 31 + 5);
    std::vector<std::uint8_t> scrambled = bytes;
    Scramble(scrambled);
    for (std::size_t i : {std::size_t(0), std::size_t(1), std::size_t(4097)})
        EXPECT_EQ(scrambled[i],
                  std::uint8_t(bytes[i] ^ std::uint8_t(Ryx_Vektu::JPG_Initial_Key + i * Ryx_Vektu::JPG_Key_Step)));
    Scramble(scrambled);
    EXPECT_EQ(scrambled, bytes);
}

TEST(Image_Writer, Write_File_Replaces_Whole_Files)
{
    const std::filesystem::path dir = std::filesystem::path(RYX_BIN_DIR) / "Test_Files" / "Image_Writer" / "sub";
    std::filesystem::remove_all(dir.parent_path());
    const std::string path = (dir / "out.bin").string();
    ASSERT_TRUE(Write_File(path, {1, 2, 3}));
    ASSERT_TRUE(Write_File(path, {4, 5}));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::vector<char>(std::istreambuf_iterator<char>(in), {}), (std::vector<char>{4, 5}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);  // no temporary left
    EXPECT_FALSE(Write_File((dir / "out.bin" / "x").string(), {1}));
}

TEST(Image_Writer, Scrambler_Tool_Round_Trips_A_File)
{
    const std::filesystem::path tool = std::filesystem::path(RYX_BIN_DIR) / "scrambler";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "scrambler not built";
    const std::filesystem::path dir = std::filesystem::path(RYX_BIN_DIR) / "Test_Files" / "Scrambler";
    std::filesystem::create_directories(dir);
    std::vector<std::uint8_t> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * i + 3);
    const std::string plain = (dir / "plain.bin").string(), other = (dir / "other.bin").string();
    ASSERT_TRUE(Write_File(plain, bytes));
    ASSERT_EQ(std::system(("\"" + tool.string() + "\" \"" + plain + "\" \"" + other + "\"").c_str()), 0);
    std::vector<std::uint8_t> expected = bytes;
    Scramble(expected);
    std::ifstream in(other, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), expected);
    // In place, a second time: the original again.
    ASSERT_EQ(std::system(("\"" + tool.string() + "\" \"" + other + "\"").c_str()), 0);
    std::ifstream back(other, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(back), {}), bytes);
}
