// The painted pictures as the show meets them: every file in the data folder,
// read through the show's own loaders, has the size and depth its scene
// needs; the walls and warp textures tile without a seam; the overlays are
// light on black; the files use the loader's different encodings; and the
// painter writes the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Code/Texture.h"
#include "Tests/Support/Assertion_Recorder.h"
#include "Tools/Painter/Picture_List.h"

using Ryx_Painter::Picture_File;
using Ryx_Painter::Picture_Files;

namespace
{
    std::string Data_Path(const Picture_File& file) { return std::string(RYX_DATA_DIR) + "/" + file.path; }

    std::vector<std::uint8_t> Read_Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    bool Is_Jpeg(const Picture_File& file) { return std::string(file.path).ends_with(".jpg"); }

    Ryx_Lib::Single<Ryx_Vektu::Texture> Load(const Picture_File& file)
    {
        std::string path = Data_Path(file);
        return Is_Jpeg(file) ? Ryx_Vektu::Load_JPG_Texture(path.c_str()) : Ryx_Vektu::Load_TGA_Texture(path.c_str());
    }

    // Grey level of pixel i: the byte of an 8-bit picture, the mean of RGB otherwise.
    int Level(Ryx_Vektu::Texture& t, std::size_t i)
    {
        if (t.Get_Bytes_Per_Pixel() == 1)
            return static_cast<const std::uint8_t*>(t.Get_Pixels())[i];
        std::uint32_t p = static_cast<const std::uint32_t*>(t.Get_Pixels())[i];
        return int(((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3;
    }

    struct Ink
    {
        double black = 0;   // share of pixels exactly 0
        double bright = 0;  // share of pixels above 160
        double mean = 0;    // mean level, 0 to 255
    };

    Ink Measure_Ink(Ryx_Vektu::Texture& t, int x0, int x1)
    {
        Ink ink;
        int w = t.Get_Width(), h = t.Get_Height();
        double count = double(x1 - x0) * h;
        for (int y = 0; y < h; ++y)
            for (int x = x0; x < x1; ++x)
            {
                int v = Level(t, std::size_t(y) * w + x);
                ink.black += v == 0;
                ink.bright += v > 160;
                ink.mean += v;
            }
        ink.black /= count, ink.bright /= count, ink.mean /= count;
        return ink;
    }

    // Sum over the line of |difference| per channel between column (or row) a and b.
    long Boundary_Difference(Ryx_Vektu::Texture& t, bool columns, int a, int b)
    {
        int w = t.Get_Width(), n = columns ? t.Get_Height() : w;
        const auto* p = static_cast<const std::uint32_t*>(t.Get_Pixels());
        long sum = 0;
        for (int i = 0; i < n; ++i)
        {
            std::uint32_t pa = columns ? p[std::size_t(i) * w + a] : p[std::size_t(a) * w + i];
            std::uint32_t pb = columns ? p[std::size_t(i) * w + b] : p[std::size_t(b) * w + i];
            for (int shift = 0; shift < 24; shift += 8)
                sum += std::abs(int((pa >> shift) & 255) - int((pb >> shift) & 255));
        }
        return sum;
    }
}

TEST(Painter, Every_Picture_Loads_With_Its_Size_And_Depth)
{
    Ryx_Test::Assertion_Recorder reports;
    EXPECT_EQ(Ryx_Painter::Picture_File_Count, 46);
    for (const Picture_File& file : Picture_Files)
    {
        SCOPED_TRACE(file.path);
        ASSERT_TRUE(std::filesystem::exists(Data_Path(file)));
        auto texture = Load(file);
        ASSERT_NE(texture.Get(), nullptr);
        EXPECT_EQ(texture.Get()->Get_Width(), file.width);
        EXPECT_EQ(texture.Get()->Get_Height(), file.height);
        EXPECT_EQ(texture.Get()->Get_Bytes_Per_Pixel(), file.bytes_per_pixel);
        EXPECT_NE(texture.Get()->Get_Pixels(), nullptr);
    }
    EXPECT_TRUE(reports.Reports().empty());
}

TEST(Painter, Files_Use_The_Expected_Encodings)
{
    int raw = 0, run_length = 0, bottom_up = 0, top_down = 0, with_id = 0;
    for (const Picture_File& file : Picture_Files)
    {
        SCOPED_TRACE(file.path);
        std::vector<std::uint8_t> bytes = Read_Bytes(Data_Path(file));
        ASSERT_GT(bytes.size(), 18u);
        if (Is_Jpeg(file))
        {
            // A scrambled file is told apart by its first byte; descrambled it is a JPEG.
            EXPECT_EQ(bytes[0] != 0xFF, file.scrambled);
            if (file.scrambled)
                EXPECT_EQ(bytes[0] ^ 0x5A, 0xFF);
            else
                EXPECT_EQ(bytes[1], 0xD8);
            continue;
        }
        EXPECT_TRUE(bytes[2] == 3 || bytes[2] == 11) << "grey, raw or run-length";
        EXPECT_EQ(bytes[16], 8);
        raw += bytes[2] == 3;
        run_length += bytes[2] == 11;
        top_down += (bytes[17] & 0x20) != 0;
        bottom_up += (bytes[17] & 0x20) == 0;
        with_id += bytes[0] != 0;
    }
    EXPECT_GE(raw, 5);
    EXPECT_GE(run_length, 5);
    EXPECT_GE(bottom_up, 5);
    EXPECT_GE(top_down, 5);
    EXPECT_GE(with_id, 3);
    EXPECT_GE(std::count_if(std::begin(Picture_Files), std::end(Picture_Files),
                            [](const Picture_File& f) { return f.scrambled; }),
              3);
}

// A seam would show as a line down or around the tube, or a crease in the warp.
TEST(Painter, Tileable_Textures_Have_No_Seam)
{
    for (const Picture_File& file : Picture_Files)
    {
        if (!file.tileable)
            continue;
        SCOPED_TRACE(file.path);
        auto texture = Load(file);
        ASSERT_EQ(texture.Get()->Get_Width(), 256);
        for (bool columns : {true, false})
        {
            std::vector<long> inner;
            for (int a = 0; a < 255; ++a)
                inner.push_back(Boundary_Difference(*texture.Get(), columns, a, a + 1));
            long wrap = Boundary_Difference(*texture.Get(), columns, 255, 0);
            std::sort(inner.begin(), inner.end());
            EXPECT_LE(wrap, inner.back()) << (columns ? "columns" : "rows");
            // The wrap is also a JPEG block edge: beside the other block edges
            // (7|8, 15|16, ...) a seam stands out clearly even where the
            // picture has hard edges of its own.
            std::vector<long> block_edges;
            for (int a = 7; a < 255; a += 8)
                block_edges.push_back(Boundary_Difference(*texture.Get(), columns, a, a + 1));
            std::sort(block_edges.begin(), block_edges.end());
            long median = block_edges[block_edges.size() / 2];
            // JPEG treats the picture's edges a little differently from its
            // inside (chroma is not blended across them), hence some slack.
            EXPECT_LE(wrap, median * 2) << (columns ? "columns" : "rows");
        }
    }
}

// The overlays are added onto the picture: black must be exactly black, and
// there must be something to see.
TEST(Painter, Overlays_Are_Light_On_Black)
{
    for (const Picture_File& file : Picture_Files)
    {
        if (file.bytes_per_pixel != 1)
            continue;
        SCOPED_TRACE(file.path);
        auto texture = Load(file);
        Ryx_Vektu::Texture& t = *texture.Get();
        Ink ink = Measure_Ink(t, 0, t.Get_Width());
        EXPECT_GT(ink.black, 0.45) << "mostly pure black";
        EXPECT_GT(ink.bright, 0.01) << "a visible glyph or shape area";
        EXPECT_LT(ink.mean, 90) << "not a wash over the scene";
        // Corners stay black: nothing runs off the frame there.
        for (int y : {0, t.Get_Height() - 1})
            for (int x : {0, t.Get_Width() - 1})
                EXPECT_EQ(Level(t, std::size_t(y) * t.Get_Width() + x), 0);
    }
}

TEST(Painter, Glitch_Layer_Keeps_Its_Shapes_In_The_Middle)
{
    for (const Picture_File& file : Picture_Files)
    {
        if (std::string(file.path).find("MO_") == std::string::npos)
            continue;
        SCOPED_TRACE(file.path);
        auto texture = Load(file);
        Ryx_Vektu::Texture& t = *texture.Get();
        // It slides sideways by up to a few hundred pixels: the outer fifth
        // on each side carries next to nothing.
        Ink left = Measure_Ink(t, 0, 128), right = Measure_Ink(t, 512, 640), middle = Measure_Ink(t, 192, 448);
        EXPECT_LT(left.mean, 2.0);
        EXPECT_LT(right.mean, 2.0);
        EXPECT_GT(middle.mean, 10.0);
    }
}

// Same build, same bytes: a second run into a fresh folder writes files
// identical to the ones the build made.
TEST(Painter, Paints_The_Same_Bytes_Every_Run)
{
    std::filesystem::path dir = std::filesystem::path(RYX_BIN_DIR) / "Test_Files" / "Painter";
    std::filesystem::remove_all(dir);
    std::string command = std::string(RYX_BIN_DIR) + "/painter " + dir.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Picture_File& file : Picture_Files)
    {
        SCOPED_TRACE(file.path);
        std::vector<std::uint8_t> again = Read_Bytes((dir / file.path).string());
        EXPECT_FALSE(again.empty());
        EXPECT_TRUE(again == Read_Bytes(Data_Path(file)));
    }
}

// The generators themselves, where a fault would not show in one picture.
#include "Tools/Painter/Font_Files.h"
#include "Tools/Painter/Noise.h"
#include "Tools/Painter/Shapes.h"
#include "Tools/Painter/Text.h"

namespace Painter = Ryx_Painter;

TEST(Painter_Kit, Noise_Repeats_Exactly_One_Tile_On)
{
    for (float u : {0.0f, 0.013f, 0.5f, 0.77f, 0.999f})
        for (float v : {0.0f, 0.25f, 0.61f, 0.998f})
        {
            float n = Painter::Fractal_Noise(u, v, 3, 6, 0.5f, 9);
            // Lattice wrap, not coincidence: the same value one tile over in
            // each direction, and away from the lattice's own points.
            EXPECT_NEAR(n, Painter::Fractal_Noise(u + 1, v, 3, 6, 0.5f, 9), 1e-4f);
            EXPECT_NEAR(n, Painter::Fractal_Noise(u, v - 1, 3, 6, 0.5f, 9), 1e-4f);
            EXPECT_NEAR(Painter::Ridged_Noise(u, v, 4, 5, 0.5f, 2), Painter::Ridged_Noise(u - 1, v + 1, 4, 5, 0.5f, 2),
                        1e-4f);
            Painter::Cell_Sample a = Painter::Cellular(u, v, 5, 4), b = Painter::Cellular(u + 1, v + 1, 5, 4);
            EXPECT_NEAR(a.f1, b.f1, 1e-4f);
            EXPECT_NEAR(a.f2, b.f2, 1e-4f);
            EXPECT_EQ(a.id, b.id);
        }
}

TEST(Painter_Kit, Noise_Has_Range_And_Depends_On_Its_Seed)
{
    float low = 1, high = -1;
    int differ = 0;
    for (int i = 0; i < 4096; ++i)
    {
        float u = (i % 64) / 64.0f, v = (i / 64) / 64.0f;
        float n = Painter::Fractal_Noise(u, v, 4, 5, 0.5f, 1);
        low = std::min(low, n), high = std::max(high, n);
        differ += std::fabs(n - Painter::Fractal_Noise(u, v, 4, 5, 0.5f, 2)) > 0.05f;
        Painter::Cell_Sample c = Painter::Cellular(u, v, 6, 3);
        EXPECT_LE(c.f1, c.f2);
        EXPECT_LT(c.f1, 1.5f) << "a feature point lies in every neighbourhood";
    }
    EXPECT_LT(low, -0.4f);
    EXPECT_GT(high, 0.4f);
    EXPECT_GT(differ, 2048);
}

TEST(Painter_Kit, Shapes_Cover_Their_Area_With_Soft_Edges)
{
    Painter::Grey_Image image(100, 100);
    Painter::Paint(image, Painter::Disc(50, 50, 20), 1.0f);
    double area = 0;
    int partial = 0;
    for (float v : image.pixels)
        area += v, partial += v > 0 && v < 1;
    EXPECT_NEAR(area, 3.14159 * 400, 6.0);
    EXPECT_GT(partial, 60) << "anti-aliased rim";
    EXPECT_EQ(image.At(0, 0), 0.0f);
    // Erasing cuts the shape out of what is there and leaves the rest.
    Painter::Grey_Image full(100, 100);
    std::fill(full.pixels.begin(), full.pixels.end(), 1.0f);
    Painter::Paint(full, Painter::Box(20, 20, 80, 40), 1.0f, Painter::Blend::Erase);
    EXPECT_EQ(full.At(50, 30), 0.0f);
    EXPECT_EQ(full.At(50, 60), 1.0f);
    EXPECT_EQ(full.At(10, 30), 1.0f);
}

TEST(Painter_Kit, Blur_Keeps_Light_And_Wraps_Tiles)
{
    Painter::Grey_Image image(64, 32);
    image.At(0, 0) = 1.0f;
    Painter::Grey_Image wrapped = Painter::Blur(image, 8, true);
    double sum = 0;
    for (float v : wrapped.pixels)
        sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-3) << "a tile's blur loses no light";
    EXPECT_NEAR(wrapped.At(63, 31), wrapped.At(1, 1), 1e-6f) << "spreads across both edges alike";
    Painter::Grey_Image open = Painter::Blur(image, 8, false);
    EXPECT_NEAR(open.At(63, 31), 0.0f, 1e-7f);
    EXPECT_GE(*std::min_element(open.pixels.begin(), open.pixels.end()), 0.0f);
    EXPECT_GT(open.At(1, 1), 0.0f);
}

TEST(Painter_Kit, Text_Lands_Where_It_Was_Measured)
{
    Painter::Font font(Painter::Font_File(Painter::Face_Bold));
    ASSERT_TRUE(font.Is_Open());
    // fontconfig always offers some font; a substitute for the face asked for
    // is refused, since it would paint other pixels.
    EXPECT_EQ(Painter::Font_File({"No Such Family:bold", "NoSuchFamily-Bold"}), "");
    Painter::Grey_Image image(400, 120);
    int width = font.Measure("LIGHT", 60, 4);
    Painter::Text_Box box = font.Draw_Centred(image, "LIGHT", 60, 200, 90, 1.0f, 4);
    EXPECT_NEAR(box.x1 - box.x0, width, 6);
    EXPECT_NEAR((box.x0 + box.x1) / 2, 200, 4);
    EXPECT_LE(box.y1, 91) << "capitals sit on the baseline";
    EXPECT_GT(box.y1 - box.y0, 35);
    EXPECT_LT(font.Fit("LIGHT", 100, 200), 60);
    // Text off the image is cut, not written out of bounds.
    Painter::Text_Box off = font.Draw(image, "LIGHT", 60, 380, 10, 1.0f);
    EXPECT_LE(off.x1, 400);
    Painter::Font missing("no such font.ttf");
    EXPECT_FALSE(missing.Is_Open());
    EXPECT_EQ(missing.Draw(image, "X", 20, 0, 20).x1, 0);
}
