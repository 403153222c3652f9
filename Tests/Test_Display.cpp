// The frame buffer and its presentation, headless: modes of Begin_Frame, the
// copy and the 5-6-5 conversion (read through a probe display), the 16-bit
// fallback, a display without a back buffer, the offline sink, the frame
// stage, and the pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>
#include "Code/DX_Window.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Platform/Frame_Pacer.h"
#include "Platform/Test/Display_Probe.h"

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

    // Puts every display choice back however a test ends.
    struct Display_Choice
    {
        ~Display_Choice()
        {
            Use_Display_Probe(nullptr);
            Set_Frame_Sink(nullptr, nullptr);
            Set_Frame_Stage(nullptr);
            Use_Real_Time();
        }
    };

    // Counts its flips, keeps the clock it was given, and paints the last
    // pixel red.
    struct Marking_Stage : Frame_Stage
    {
        int applied = 0;
        std::uint32_t milliseconds = 0;
        void Apply(std::uint32_t* pixels, int width, int height, std::uint32_t now) override
        {
            ++applied;
            milliseconds = now;
            pixels[std::size_t(width) * height - 1] = 0x00FF0000u;
        }
    };

    Marking_Stage& Install_Marking_Stage()
    {
        auto stage = std::make_unique<Marking_Stage>();
        Marking_Stage& installed = *stage;
        Set_Frame_Stage(std::move(stage));
        return installed;
    }

    DX_Window& As_DX(Ryx_Lib::Single<Window>& w) { return *static_cast<DX_Window*>(w.Get()); }

    std::uint32_t Pixel_32(const Display_Probe& probe, int x, int y)
    {
        std::uint32_t p;
        std::memcpy(&p, probe.frame.data() + std::size_t(y) * probe.pitch + std::size_t(x) * 4, 4);
        return p;
    }

    std::uint16_t Pixel_16(const Display_Probe& probe, int x, int y)
    {
        std::uint16_t p;
        std::memcpy(&p, probe.frame.data() + std::size_t(y) * probe.pitch + std::size_t(x) * 2, 2);
        return p;
    }
}

TEST(DX_Window, BeginFrameModesAndClearOnKnownPixels)
{
    Display_Choice choice;
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

TEST(DX_Window, PresentsAt32BitsUnchanged)
{
    Display_Choice choice;
    Display_Probe probe;
    Use_Display_Probe(&probe);
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

    EXPECT_EQ(window->Present(), DD_OK);
    ASSERT_EQ(probe.presents, 1);
    ASSERT_GE(probe.pitch, 640 * 4);
    EXPECT_EQ(Pixel_32(probe, 0, 0), 0xFF121F16u);
    EXPECT_EQ(Pixel_32(probe, 1, 0), 0x00121F16u);
    for (int y = 1; y < 480; y += 37)
        for (int x = 0; x < 640; x += 13)
            ASSERT_EQ(Pixel_32(probe, x, y), 0xFF000000u | std::uint32_t(y) << 12 | std::uint32_t(x)) << x << "," << y;
}

// A stage sees the 16-bit frame widened, and a pixel it leaves alone comes
// back to the very same 5-6-5 value.
TEST(DX_Window, FallsBackTo16BitsAndConvertsTo565)
{
    Display_Choice choice;
    Display_Probe probe;
    probe.refused_bits = {32};
    Use_Display_Probe(&probe);
    Marking_Stage& stage = Install_Marking_Stage();
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    ASSERT_EQ(As_DX(window).Get_Display_Bits(), 16u);
    EXPECT_EQ(window->Get_Bits_Per_Pixel(), 32u) << "describes the frame buffer, not the display";
    EXPECT_EQ(window->Get_Bytes_Per_Pixel(), 4u);

    const std::uint32_t in[] = {0x00FFFFFFu, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00070307u, 0xFF818283u};
    const std::uint16_t out[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x8410};
    std::uint32_t* p = window->Get_Buffer();
    for (int i = 0; i < 6; ++i)
        p[479 * 640 + i] = in[i];
    EXPECT_EQ(window->Present(), DD_OK);
    ASSERT_EQ(probe.bits, 16);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Pixel_16(probe, i, 479), out[i]) << std::hex << in[i];
    EXPECT_EQ(stage.applied, 1);
    EXPECT_EQ(Pixel_16(probe, 639, 479), 0xF800);
    EXPECT_EQ(To_565(0x00808080u), 0x8410);
}

// Neither depth can be shown: every lock fails, and no frame is flipped.
TEST(DX_Window, WithoutABackBufferEveryFrameIsDropped)
{
    Display_Choice choice;
    Display_Probe probe;
    probe.refused_bits = {32, 16};
    Use_Display_Probe(&probe);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    EXPECT_EQ(As_DX(window).Get_Display_Bits(), 32u) << "the depth asked for, as no display reports one";
    window->Get_Buffer()[0] = 0xFFFFFFFFu;
    EXPECT_EQ(window->Present(), DDERR_SURFACELOST);
    EXPECT_EQ(window->Present(), DDERR_SURFACELOST);
    EXPECT_EQ(probe.presents, 0);
}

TEST(DX_Window, OfflineSinkGetsEveryFrameUnpacedAndOpensNoVideo)
{
    Display_Choice choice;
    Captured captured;
    Set_Frame_Sink(&Capture, &captured);
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

// The stage runs once a flip, on the show's clock, and what it writes is what
// the sink receives.
TEST(DX_Window, AFrameStageSeesEveryFlipBeforeTheSink)
{
    Display_Choice choice;
    Marking_Stage& stage = Install_Marking_Stage();
    Set_Virtual_Time(1234);
    Captured captured;
    Set_Frame_Sink(&Capture, &captured);
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    window->Get_Buffer()[0] = 0x00ABCDEFu;
    window->Present();
    window->Present();
    EXPECT_EQ(stage.applied, 2);
    EXPECT_EQ(stage.milliseconds, 1234u);
    EXPECT_EQ(captured.frames, 2);
    EXPECT_EQ(captured.pixels[0], 0x00ABCDEFu);
    EXPECT_EQ(captured.pixels.back(), 0x00FF0000u);
}

TEST(Frame_Pacer, HoldsFramesToTheirPeriodAndStartsAfreshWhenLate)
{
    Frame_Pacer pacer(std::chrono::microseconds(16667));
    pacer.Wait();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 12; ++i)
        pacer.Wait();
    auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(elapsed, 11 * 0.0166);
    EXPECT_LT(elapsed, 1.0);
    // A frame late by many periods is not followed by a burst.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pacer.Wait();
    start = std::chrono::steady_clock::now();
    pacer.Wait();
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
}

TEST(DX_Window, HeadlessLiveDisplayIsUnpaced)
{
    Display_Choice choice;
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 30; ++i)
        window->Present();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}
