// The flash measure on synthetic frame sequences, as flash_check counts them,
// and the calm stage: a strobe passes after it, at 60 and at 30 frames a
// second, and it leaves alone what passes by default.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "Platform/Calm_Stage.h"
#include "Platform/Flash_Measure.h"
#include "Tools/Flash_Check/Flash_Series.h"
#include "Tools/Flash_Check/Picture_Compare.h"

namespace
{
    constexpr int Width = 640, Height = 480;

    double Luminance_Of_Grey(int v)
    {
        double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }

    // The first grey at or above a relative luminance.
    int Grey_At(double luminance)
    {
        int v = 0;
        while (v < 255 && Luminance_Of_Grey(v) < luminance)
            ++v;
        return v;
    }

    std::uint32_t Grey(int v) { return std::uint32_t(v) << 16 | std::uint32_t(v) << 8 | std::uint32_t(v); }

    using Painter = std::function<void(std::vector<std::uint32_t>& frame, long n, int fps)>;

    std::uint32_t Milliseconds(long n, int fps) { return std::uint32_t(n * 1000 / fps); }

    struct Checked
    {
        std::vector<Ryx_Tools::Flash_Second> seconds;
        int whole = 0, windows = 0, red = 0;  // failing seconds

        explicit Checked(const Ryx_Tools::Flash_Series& series) : seconds(series.Evaluate())
        {
            for (const Ryx_Tools::Flash_Second& s : seconds)
                whole += s.whole >= Ryx_Tools::Flash_Limit, windows += s.windows >= Ryx_Tools::Flash_Limit,
                    red += s.red >= Ryx_Tools::Flash_Limit;
        }
        bool Passes() const { return whole + windows + red == 0; }
    };

    // Paints `seconds` of frames and checks them.
    Checked Check(const Painter& paint, double seconds, int fps = 60)
    {
        Ryx_Tools::Flash_Series series;
        std::vector<std::uint32_t> frame(std::size_t(Width) * Height);
        for (long n = 0; n < long(seconds * fps); ++n)
        {
            paint(frame, n, fps);
            Ryx_Platform::Frame_Levels levels;
            Ryx_Platform::Measure_Levels(frame.data(), Width, Height, levels);
            series.Add(levels, Milliseconds(n, fps));
        }
        return Checked(series);
    }

    // The same frames as they are and through the calm stage, with the
    // times of the frames it changed.
    struct Both
    {
        Checked by_default, calm;
        std::vector<std::uint32_t> changed;
    };

    Both Check_Both(const Painter& paint, double seconds, int fps, Ryx_Platform::Calm_Stage& stage)
    {
        Ryx_Tools::Flash_Series by_default, calm;
        std::vector<std::uint32_t> frame(std::size_t(Width) * Height), softened;
        std::vector<std::uint32_t> changed;
        for (long n = 0; n < long(seconds * fps); ++n)
        {
            paint(frame, n, fps);
            softened = frame;
            stage.Apply(softened.data(), Width, Height, Milliseconds(n, fps));
            if (softened != frame)
                changed.push_back(Milliseconds(n, fps));
            Ryx_Platform::Frame_Levels levels;
            Ryx_Platform::Measure_Levels(frame.data(), Width, Height, levels);
            by_default.Add(levels, Milliseconds(n, fps));
            Ryx_Platform::Measure_Levels(softened.data(), Width, Height, levels);
            calm.Add(levels, Milliseconds(n, fps));
        }
        return {Checked(by_default), Checked(calm), changed};
    }

    // Whole frames of one grey or another: `bright` says which, by time.
    Painter Whole(int dark, int light, std::function<bool(double seconds)> bright)
    {
        return [=](std::vector<std::uint32_t>& f, long n, int fps) {
            std::fill(f.begin(), f.end(), Grey(bright(double(n) / fps) ? light : dark));
        };
    }

    // `flashes` a second: bright for the first quarter of each period.
    std::function<bool(double)> Pulses(double flashes, double from = 0, double to = 1e9)
    {
        return [=](double t) { return t >= from && t < to && std::fmod((t - from) * flashes, 1.0) < 0.25; };
    }

    // A moving picture that never flashes: diagonal bands drifting sideways.
    void Drift(std::vector<std::uint32_t>& f, long n)
    {
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                f[std::size_t(y) * Width + x] = Grey(40 + ((x + y + 3 * int(n)) & 63));
    }
}

TEST(Flash_Measure, Counts_More_Than_Three_Flashes_In_Any_Second)
{
    // Black and mid grey: a swing of about 0.2 with a dark side.
    const int dark = 0, light = Grey_At(0.2);
    EXPECT_TRUE(Check(Whole(dark, light, Pulses(3)), 5).Passes());
    Checked four = Check(Whole(dark, light, Pulses(4)), 5);
    EXPECT_GE(four.whole, 4);
    EXPECT_GE(four.windows, 4);  // every window sees a whole-screen flash
    EXPECT_EQ(four.red, 0);

    // A pulse that takes 3 frames up and 3 down, each step under the threshold.
    const int step = Grey_At(0.05), top = Grey_At(0.15);
    ASSERT_LT(Luminance_Of_Grey(step), 0.1);
    auto ramp = [=](std::vector<std::uint32_t>& f, long n, int) {
        const int levels[8] = {0, step, Grey_At(0.1), top, Grey_At(0.1), step, 0, 0};
        std::fill(f.begin(), f.end(), Grey(levels[n % 15 < 8 ? n % 15 : 7]));
    };
    EXPECT_GE(Check(ramp, 3).whole, 2);  // 4 ramped pulses a second

    // Four flashes from 0.55 s to 1.45 s: two in each second, eight transitions within one.
    Checked straddling = Check(Whole(dark, light, Pulses(4.4, 0.55, 1.46)), 3);
    EXPECT_EQ(straddling.whole, 1);
    EXPECT_GE(straddling.seconds[1].whole, 7);
}

TEST(Flash_Measure, Counts_A_Flash_Only_When_Its_Darker_Side_Is_Below_0_8)
{
    const int at_limit = Grey_At(0.8);
    ASSERT_LT(Luminance_Of_Grey(at_limit), 0.81);  // 0.79 to 0.81, either side of the limit
    ASSERT_GE(Luminance_Of_Grey(at_limit - 1), 0.79);
    EXPECT_EQ(Check(Whole(at_limit - 1, 255, Pulses(5)), 3).whole, 3);
    EXPECT_TRUE(Check(Whole(at_limit, 255, Pulses(5)), 3).Passes());
}

TEST(Flash_Measure, A_Window_Is_A_Third_Of_The_Screen)
{
    // A patch flashing by 0.106 fills the middle window when just over a
    // third of the screen; just under it, the window's mean swings by 0.096.
    const int light = Grey_At(0.106);
    ASSERT_LT(Luminance_Of_Grey(light), 0.11);
    auto patch = [=](double across) {
        return [=](std::vector<std::uint32_t>& f, long n, int fps) {
            std::fill(f.begin(), f.end(), 0u);
            const int w = int(Width * across / 3), h = int(Height * across / 3);
            if (Pulses(5)(double(n) / fps))
                for (int y = (Height - h) / 2; y < (Height + h) / 2; ++y)
                    for (int x = (Width - w) / 2; x < (Width + w) / 2; ++x)
                        f[std::size_t(y) * Width + x] = Grey(light);
        };
    };
    Checked over = Check(patch(1.05), 3);
    EXPECT_EQ(over.windows, 3);
    EXPECT_EQ(over.whole, 0);
    EXPECT_EQ(over.seconds[1].window, 1 + 2 * Ryx_Platform::Flash_Windows + 2);  // the middle one
    EXPECT_TRUE(Check(patch(0.95), 3).Passes());
}

TEST(Flash_Measure, Counts_Saturated_Red_Apart)
{
    // Black and a red too dark for a luminance flash: (R - G - B) x 320 swings by 188.
    auto red = [](int g) {
        return [=](std::vector<std::uint32_t>& f, long n, int fps) {
            std::fill(f.begin(), f.end(), Pulses(4)(double(n) / fps) ? 150u << 16 | std::uint32_t(g) << 8 : 0u);
        };
    };
    Checked saturated = Check(red(0), 3);
    EXPECT_EQ(saturated.red, 3);
    EXPECT_EQ(saturated.whole + saturated.windows, 0);
    // R / (R + G + B) under 0.8: not a saturated red at all.
    EXPECT_TRUE(Check(red(40), 3).Passes());
}

TEST(Calm_Stage, A_Strobe_Passes_After_It_And_What_Passes_Is_Left_Alone)
{
    // Two calm seconds, three of strobing (the whole screen, one window and
    // red, each its own way), one and a half calm, then flashes just below
    // the limit, which the stage must leave alone.
    auto show = [](std::vector<std::uint32_t>& f, long n, int fps) {
        Drift(f, n);
        const double t = double(n) / fps;
        if (Pulses(2.8, 6.5)(t))
            for (std::uint32_t& p : f)
                p += 0x606060u;
        if (t < 2 || t >= 5)
            return;
        if (Pulses(9)(t))
            for (std::uint32_t& p : f)
                p += 0x606060u;
        if (Pulses(6.5)(t + 0.05))
            for (int y = 0; y < Height / 3; ++y)
                for (int x = 0; x < Width / 3; ++x)
                    f[std::size_t(y) * Width + x] = 0xF0F0F0u;
        if (Pulses(5)(t + 0.1))
            for (int y = Height / 2; y < Height; ++y)
                for (int x = Width / 2; x < Width; ++x)
                    f[std::size_t(y) * Width + x] = 0xC00000u;
    };
    for (int fps : {60, 30})
    {
        SCOPED_TRACE(fps);
        Ryx_Platform::Calm_Stage stage;
        Both both = Check_Both(show, 9, fps, stage);
        EXPECT_GE(both.by_default.whole, 3);
        EXPECT_GE(both.by_default.windows, 3);
        EXPECT_GE(both.by_default.red, 3);
        EXPECT_TRUE(both.calm.Passes()) << both.calm.whole << " " << both.calm.windows << " " << both.calm.red;
        ASSERT_FALSE(both.changed.empty());
        EXPECT_GE(both.changed.front(), 2000u);
        EXPECT_LT(both.changed.back(), 6000u);
        EXPECT_TRUE(Ryx_Tools::Identity_Breaks(both.by_default.seconds, both.changed).empty());
    }
}
