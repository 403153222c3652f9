// The frame buffer and its presentation, headless: modes of Begin_Frame, the
// copy by pitch and the 5-6-5 conversion (read through a test surface), the
// 16-bit fallback, a failing lock, the offline sink and the pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>
#include "Code/DX_Window.h"
#include "Platform/Display.h"

using namespace Ryx_Vektu;
using namespace Ryx_Platform;

namespace
{
    struct Captured
    {
        std::vector<std::uint32_t> pixels;
        int width = 0, height = 0, frames = 0;
    };

    void Capture(const std::uint32_t* pixels, int width, int height, void* user)
    {
        Captured* c = static_cast<Captured*>(user);
        c->pixels.assign(pixels, pixels + std::size_t(width) * height);
        c->width = width;
        c->height = height;
        ++c->frames;
    }

    // Puts every hook back however a test ends.
    struct Display_Hooks
    {
        ~Display_Hooks()
        {
            Display_Fail_Mode(0);
            Display_Fail_Lock(false);
            Display_Test_Surface(nullptr, 0);
            Set_Frame_Sink(nullptr, nullptr);
            Set_Display_Pacing(Pacing::Automatic);
        }
    };

    DX_Window& As_DX(Ryx_Lib::Single<Window>& w) { return *static_cast<DX_Window*>(w.Get()); }
}

TEST(DX_Window, BeginFrameModesAndClearOnKnownPixels)
{
    Display_Hooks hooks;
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    EXPECT_EQ(window->Get_Width(), 640u);
    EXPECT_EQ(window->Get_Height(), 480u);
    std::uint32_t* p = window->Get_Buffer();
    for (std::size_t i = 0; i < 640 * 480; ++i)
        ASSERT_EQ(p[i], 0u) << "a new frame buffer is black";
    p[0] = 0xFF808080u;
    p[640 * 480 - 1] = 0x01FF0301u;
    window->Begin_Frame(0);
    window->Begin_Frame(7);
    EXPECT_EQ(p[0], 0xFF808080u);
    window->Begin_Frame(2);
    EXPECT_EQ(p[0], 0x7F404040u);
    EXPECT_EQ(p[640 * 480 - 1], 0x007F0100u);
    window->Begin_Frame(1);
    EXPECT_EQ(p[0], 0u);
    p[5] = 0xFFFFFFFFu;
    window->Clear();
    EXPECT_EQ(p[5], 0u);
}

TEST(DX_Window, PresentsAt32BitsRowByRowByPitch)
{
    Display_Hooks hooks;
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    ASSERT_EQ(As_DX(window).Get_Display_Bits(), 32u);
    EXPECT_EQ(window->Get_Bits_Per_Pixel(), 32u);
    EXPECT_EQ(window->Get_Bytes_Per_Pixel(), 4u);
    std::uint32_t* p = window->Get_Buffer();
    for (std::uint32_t y = 0; y < 480; ++y)
        for (std::uint32_t x = 0; x < 640; ++x)
            p[y * 640 + x] = 0xFF000000u | y << 12 | x;
    p[0] = 0xFF121F16u;
    p[1] = 0x00121F16u;  // the top byte goes through unchanged

    const std::int32_t pitch = 640 * 4 + 64;  // wider than a row
    std::vector<std::uint32_t> surface(std::size_t(pitch / 4) * 480, 0xDEADBEEFu);
    Display_Test_Surface(surface.data(), pitch);
    EXPECT_EQ(window->Present(), DD_OK);
    EXPECT_EQ(surface[0], 0xFF121F16u);
    EXPECT_EQ(surface[1], 0x00121F16u);
    for (std::uint32_t y = 1; y < 480; y += 37)
        for (std::uint32_t x = 0; x < 640; x += 13)
            ASSERT_EQ(surface[y * (pitch / 4) + x], 0xFF000000u | y << 12 | x) << x << "," << y;
    EXPECT_EQ(surface[640], 0xDEADBEEFu) << "the padding after a row is not written";
    EXPECT_EQ(surface[479 * (pitch / 4) + 640], 0xDEADBEEFu);
}

TEST(DX_Window, FallsBackTo16BitsAndConvertsTo565)
{
    Display_Hooks hooks;
    Display_Fail_Mode(32);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    ASSERT_EQ(As_DX(window).Get_Display_Bits(), 16u);
    EXPECT_EQ(window->Get_Bits_Per_Pixel(), 32u) << "describes the frame buffer, not the display";
    EXPECT_EQ(window->Get_Bytes_Per_Pixel(), 4u);

    const std::uint32_t in[] = {0x00FFFFFFu, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00070307u, 0xFF818283u};
    const std::uint16_t out[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x8410};
    std::uint32_t* p = window->Get_Buffer();
    for (int i = 0; i < 6; ++i)
        p[479 * 640 + i] = in[i];
    const std::int32_t pitch = 640 * 2 + 32;
    std::vector<std::uint16_t> surface(std::size_t(pitch / 2) * 480, 0xABCD);
    Display_Test_Surface(surface.data(), pitch);
    EXPECT_EQ(window->Present(), DD_OK);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(surface[479 * (pitch / 2) + i], out[i]) << std::hex << in[i];
    EXPECT_EQ(surface[640], 0xABCD);
    EXPECT_EQ(To_565(0x00808080u), 0x8410);
}

TEST(DX_Window, FailingLockDropsTheFrame)
{
    Display_Hooks hooks;
    Captured captured;
    Set_Frame_Sink(&Capture, &captured);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    EXPECT_EQ(window->Present(), DD_OK);
    EXPECT_EQ(captured.frames, 1);
    Display_Fail_Lock(true);
    window->Get_Buffer()[0] = 0xFFFFFFFFu;
    EXPECT_EQ(window->Present(), DDERR_SURFACELOST);
    EXPECT_EQ(captured.frames, 1) << "nothing is flipped";
    Display_Fail_Lock(false);
    EXPECT_EQ(window->Present(), DD_OK);
    EXPECT_EQ(captured.frames, 2);
    EXPECT_EQ(captured.pixels[0], 0xFFFFFFFFu);

    // A live display fails the same way.
    Set_Frame_Sink(nullptr, nullptr);
    Ryx_Lib::Single<Window> live = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    Display_Fail_Lock(true);
    EXPECT_NE(live->Present(), DD_OK);
}

TEST(DX_Window, OfflineSinkGetsEveryFrameUnpacedAndOpensNoVideo)
{
    Display_Hooks hooks;
    Captured captured;
    Set_Frame_Sink(&Capture, &captured);
    Display_Fail_Mode(32);  // only a live display can fall back
    Set_Display_Pacing(Pacing::Always);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    EXPECT_EQ(As_DX(window).Get_Display_Bits(), 32u);
    std::uint32_t* p = window->Get_Buffer();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 30; ++i)
    {
        p[i] = 0x00123456u + i;
        ASSERT_EQ(window->Present(), 0);
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(300)) << "a sink is never paced";
    EXPECT_EQ(captured.frames, 30);
    ASSERT_EQ(captured.width, 640);
    ASSERT_EQ(captured.height, 480);
    EXPECT_EQ(captured.pixels[29], 0x00123456u + 29);
    EXPECT_EQ(captured.pixels[30], 0u);
}

TEST(DX_Window, LiveFlipIsPacedToSixtyFramesASecond)
{
    Display_Hooks hooks;
    Set_Display_Pacing(Pacing::Always);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    window->Present();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 12; ++i)
        window->Present();
    auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(elapsed, 11 * 0.0155);
    EXPECT_LT(elapsed, 1.0);
}

TEST(DX_Window, HeadlessLiveDisplayIsUnpacedByDefault)
{
    Display_Hooks hooks;
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 30; ++i)
        window->Present();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}
