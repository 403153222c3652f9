// The grid renderer: worked examples of sampling and shading, bad textures,
// and agreement with a plain per-pixel transcription on random lattices.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Code/Grid.h"
#include "Code/Shader.h"
#include "Code/Texture.h"
#include "Tests/Support/Assertion_Recorder.h"
#include "Tests/Support/Memory_Window.h"

using Ryx_Test::Memory_Window;
using Ryx_Vektu::Grid;
using Ryx_Vektu::Grid_Vertex;

namespace
{
    // Texel (x, y) of the pattern: blue = x, green = y, red a mix of both.
    class Memory_Texture : public Ryx_Vektu::Texture
    {
    public:
        Memory_Texture(int width, int height, int bytes = 4)
            : m_width(width), m_height(height), m_bytes(bytes),
              m_pixels(std::size_t(width > 0 ? width : 0) * (height > 0 ? height : 0) * bytes)
        {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                {
                    std::uint8_t* t = &m_pixels[(std::size_t(y) * width + x) * bytes];
                    for (int k = 0; k < bytes; ++k)
                        t[k] = std::uint8_t(k == 0 ? x : k == 1 ? y : k == 2 ? x * 7 + y * 3 : 0x55);
                }
        }
        int Get_Width() override { return m_width; }
        int Get_Height() override { return m_height; }
        void* Get_Pixels() override { return m_pixels.empty() ? nullptr : m_pixels.data(); }
        int Get_Bytes_Per_Pixel() override { return m_bytes; }
        const char* Get_Name() override { return "(made in memory)"; }

        std::uint32_t Colour(int x, int y) const
        {
            const std::uint8_t* t = &m_pixels[(std::size_t(y) * m_width + x) * 4];
            return 0xFF000000u | std::uint32_t(t[2]) << 16 | std::uint32_t(t[1]) << 8 | t[0];
        }

    private:
        int m_width, m_height, m_bytes;
        std::vector<std::uint8_t> m_pixels;
    };

    std::int32_t Fixed(double value) { return std::int32_t(value * 65536.0); }

    void Fill(Grid& grid, Grid_Vertex vertex)
    {
        for (int k = 0; k < grid.Get_Columns() * grid.Get_Rows(); ++k)
            grid.Get_Vertices()[k] = vertex;
    }

    // The algorithm as written: per cell, per row, per pixel, in 64-bit
    // integers brought back to 32 bits where the fixed point wraps.
    std::int32_t Wrap(std::int64_t n) { return std::int32_t(std::uint32_t(n)); }
    std::int32_t Wrap16(std::int64_t d) { return std::int32_t(std::uint32_t(d) << 8) >> 12; }

    void Reference_Render(std::vector<std::uint32_t>& frame, int width, int height, const Grid_Vertex* vertices,
                          int columns, int rows, Memory_Texture& texture)
    {
        const std::uint8_t* table = Ryx_Vektu::Get_Shader()->table;
        const std::uint8_t* texels = static_cast<const std::uint8_t*>(texture.Get_Pixels());
        const int tw = texture.Get_Width(), th = texture.Get_Height();
        int shift = 0;
        while ((1 << shift) != tw)
            ++shift;
        const int top = (height + 16 - 16 * rows) / 2;
        for (int i = 0; i + 1 < rows; ++i)
            for (int j = 0; j + 1 < columns; ++j)
            {
                if (top + 16 * i < 0 || top + 16 * i + 16 > height || 16 * j + 16 > width)
                    continue;  // only whole cells inside the window
                const Grid_Vertex& a = vertices[i * columns + j];
                const Grid_Vertex& b = vertices[i * columns + j + 1];
                const Grid_Vertex& c = vertices[(i + 1) * columns + j];
                const Grid_Vertex& d = vertices[(i + 1) * columns + j + 1];
                std::int32_t uL = a.u, vL = a.v, sL = a.shade, uR = b.u, vR = b.v, sR = b.shade;
                for (int py = 0; py < 16; ++py)
                {
                    const std::int32_t du = Wrap16(std::int64_t(uR) - uL), dv = Wrap16(std::int64_t(vR) - vL);
                    const std::int32_t ds = Wrap(std::int64_t(sR) - sL) >> 4;
                    std::int32_t u = uL, v = vL, s = sL;
                    for (int px = 0; px < 16; ++px)
                    {
                        const int x = ((u >> 16) + th / 2) & (tw - 1);
                        const int y = ((v >> 16) + tw / 2) & (th - 1);
                        const std::uint8_t* t = texels + 4 * (x + (y << shift));
                        const int row = (s >> 16) & 0x1FF;
                        frame[std::size_t(top + 16 * i + py) * width + 16 * j + px] = 0xFF000000u |
                            std::uint32_t(table[256 * row + t[2]]) << 16 | std::uint32_t(table[256 * row + t[1]]) << 8 |
                            table[256 * row + t[0]];
                        u = Wrap(std::int64_t(u) + du);
                        v = Wrap(std::int64_t(v) + dv);
                        s = Wrap(std::int64_t(s) + ds);
                    }
                    uL = Wrap(std::int64_t(uL) + Wrap16(std::int64_t(c.u) - a.u));
                    vL = Wrap(std::int64_t(vL) + Wrap16(std::int64_t(c.v) - a.v));
                    sL = Wrap(std::int64_t(sL) + (Wrap(std::int64_t(c.shade) - a.shade) >> 4));
                    uR = Wrap(std::int64_t(uR) + Wrap16(std::int64_t(d.u) - b.u));
                    vR = Wrap(std::int64_t(vR) + Wrap16(std::int64_t(d.v) - b.v));
                    sR = Wrap(std::int64_t(sR) + (Wrap(std::int64_t(d.shade) - b.shade) >> 4));
                }
            }
    }

    const std::uint32_t Sentinel = 0x12345678u;
}

TEST(Grid, ShadesAndTheCoveredRectangle)
{
    Memory_Texture texture(256, 256);
    Memory_Window window;
    auto grid = Ryx_Vektu::Create_Grid(&window, &texture, 41, 24);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->Get_Columns(), 41);
    EXPECT_EQ(grid->Get_Rows(), 24);
    for (int k = 0; k < 41 * 24; ++k)
    {
        const Grid_Vertex& zero = grid->Get_Vertices()[k];
        ASSERT_TRUE(zero.u == 0 && zero.v == 0 && zero.shade == 0);
    }

    // One texel per pixel: u = x, v = y - 56 in texels.
    const auto lay_out = [&](double shade) {
        for (int i = 0; i < 24; ++i)
            for (int j = 0; j < 41; ++j)
                grid->Get_Vertices()[i * 41 + j] = Grid_Vertex{Fixed(16 * j), Fixed(16 * i), Fixed(shade)};
    };
    const auto shaded = [](int level, std::uint32_t colour) {
        const std::uint8_t* t = Ryx_Vektu::Get_Shader()->table + 256 * level;
        return 0xFF000000u | std::uint32_t(t[(colour >> 16) & 0xFF]) << 16 |
            std::uint32_t(t[(colour >> 8) & 0xFF]) << 8 | t[colour & 0xFF];
    };
    for (double shade : {256.0, 0.0, 512.0, 384.0, 100.5})
    {
        std::fill(window.Pixels().begin(), window.Pixels().end(), Sentinel);
        lay_out(shade);
        grid->Render();
        const int level = int(shade) & 0x1FF;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
            {
                const std::uint32_t expected = y < 56 || y >= 424
                    ? Sentinel
                    : shaded(level, texture.Colour((x + 128) & 255, (y - 56 + 128) & 255));
                ASSERT_EQ(window.At(x, y), expected) << "shade " << shade << " at " << x << ", " << y;
            }
    }
    lay_out(256.0);
    grid->Render();
    EXPECT_EQ(window.At(0, 56), texture.Colour(128, 128));
    EXPECT_EQ(window.At(639, 423), texture.Colour((639 + 128) & 255, (367 + 128) & 255));
    lay_out(0.0);
    grid->Render();
    EXPECT_EQ(window.At(300, 300), 0xFF000000u);
}

TEST(Grid, CoordinatesWrapAroundTheTexture)
{
    Memory_Texture texture(256, 256);
    Memory_Window window;
    auto grid = Ryx_Vektu::Create_Grid(&window, &texture, 41, 24);
    const std::int32_t full = Fixed(256.0);

    Fill(*grid, Grid_Vertex{0, 0, full});
    grid->Render();
    EXPECT_EQ(window.At(17, 200), texture.Colour(128, 128));

    Fill(*grid, Grid_Vertex{Fixed(-1.0), Fixed(-129.0), full});
    grid->Render();
    EXPECT_EQ(window.At(5, 100), texture.Colour(127, 255));
    Fill(*grid, Grid_Vertex{Fixed(-129.0), 0, full});
    grid->Render();
    EXPECT_EQ(window.At(5, 100), texture.Colour(255, 128));

    // From u = 250 to u = 5 the short way: 11 texels upward across one cell.
    Fill(*grid, Grid_Vertex{Fixed(250.0), 0, full});
    Grid_Vertex* v = grid->Get_Vertices();
    v[1].u = v[41 + 1].u = Fixed(5.0);
    grid->Render();
    for (int px = 0; px < 16; ++px)
    {
        const int u = (250 * 65536 + px * 45056) >> 16;  // 250, 250.6875, ...
        EXPECT_EQ(window.At(px, 56), texture.Colour((u + 128) & 255, 128)) << px;
    }
    EXPECT_EQ(window.At(15, 56), texture.Colour((260 + 128) & 255, 128));
}

TEST(Grid, BadTexturesAreReportedAndNotDrawn)
{
    Memory_Window window;
    Ryx_Test::Assertion_Recorder recorder;
    Memory_Texture wide(640, 16), empty(0, 0), three_bytes(256, 256, 3), good(64, 64);

    testing::internal::CaptureStderr();
    auto grid = Ryx_Vektu::Create_Grid(&window, &wide, 41, 24);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("texture (made in memory) is 640 x 16 pixels"), std::string::npos) << "names it: " << err;
    ASSERT_TRUE(grid);  // still returned
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].expression, "!\"invalid texture width\"");
    EXPECT_FALSE(recorder.Reports()[0].has_caption);
    EXPECT_EQ(recorder.Reports()[0].line, 0u);
    EXPECT_NE(recorder.Reports()[0].file.find("Grid"), std::string::npos);
    Fill(*grid, Grid_Vertex{0, 0, Fixed(256.0)});
    grid->Render();
    EXPECT_EQ(window.At(320, 240), 0u);

    grid->Set_Texture(&empty);  // what a loader returns for a bad file
    EXPECT_EQ(recorder.Count("!\"invalid texture width\""), 2);
    grid->Render();
    grid->Set_Texture(&three_bytes);  // not reported, just not drawn
    EXPECT_EQ(recorder.Reports().size(), 2u);
    grid->Render();
    grid->Set_Texture(nullptr);
    grid->Render();
    EXPECT_EQ(window.At(320, 240), 0u);

    grid->Set_Texture(&good);
    grid->Render();
    EXPECT_EQ(window.At(320, 240), good.Colour(32, 32));
    EXPECT_EQ(recorder.Reports().size(), 2u);  // the shader exists: no report
}

TEST(Grid, AgreesWithThePlainAlgorithmOnRandomLattices)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX), near(-40 * 65536, 40 * 65536),
        shade(-600 * 65536, 600 * 65536);
    struct Case
    {
        int tw, th, width, height, columns, rows;
    };
    const Case cases[] = {
        {256, 256, 640, 480, 41, 24},
        {64, 32, 640, 480, 41, 24},
        {1, 1, 640, 480, 41, 24},
        {1024, 2, 640, 480, 41, 24},
        {8, 3, 160, 100, 11, 7},
        {32, 128, 64, 64, 5, 5},
        // Lattices that do not fit: only the whole cells inside are drawn.
        // Heights either side of the 16-bit shortcut.
        {4, 1024, 64, 64, 5, 5},
        {8, 2048, 64, 64, 5, 5},
        {2, 65536, 64, 64, 5, 5},
        {1, 65537, 64, 64, 5, 5},
        {4, 70000, 64, 48, 5, 4},
        {256, 256, 320, 240, 41, 24},
        {16, 16, 100, 40, 9, 4},
        {16, 16, 40, 40, 1, 1},
    };
    for (const Case& c : cases)
    {
        Memory_Texture texture(c.tw, c.th);
        Memory_Window window(c.width, c.height);
        auto grid = Ryx_Vektu::Create_Grid(&window, &texture, c.columns, c.rows);
        for (int round = 0; round < 3; ++round)
        {
            Grid_Vertex* v = grid->Get_Vertices();
            for (int i = 0; i < c.rows; ++i)
                for (int j = 0; j < c.columns; ++j)
                {
                    Grid_Vertex& g = v[i * c.columns + j];
                    if (round == 0)  // anything, overflow included
                        g = Grid_Vertex{any(random), any(random), any(random)};
                    else  // a smooth warp with occasional whole-turn jumps
                        g = Grid_Vertex{std::int32_t(std::uint32_t(j) * 16 * 65536 + near(random) +
                                                     (random() % 5 == 0 ? 256u * 65536u : 0u)),
                                        std::int32_t(std::uint32_t(i) * 16 * 65536 + near(random)), shade(random)};
                }
            std::fill(window.Pixels().begin(), window.Pixels().end(), Sentinel);
            std::vector<std::uint32_t> expected = window.Pixels();
            grid->Render();
            Reference_Render(expected, c.width, c.height, v, c.columns, c.rows, texture);
            ASSERT_TRUE(window.Pixels() == expected)
                << c.tw << "x" << c.th << " on " << c.width << "x" << c.height << " round " << round;
        }
    }
}
