// The holder, the assertion convention and the 15-bit random stream.
#include <gtest/gtest.h>

#include "Code/Random.h"
#include "Code/Saturating_Add.h"
#include "Lib/Assertion.h"
#include "Lib/Callback.h"
#include "Lib/Single.h"
#include "Tests/Support/Assertion_Recorder.h"

namespace
{
    struct Counted
    {
        explicit Counted(int* deaths) : m_deaths(deaths) {}
        virtual ~Counted() { ++*m_deaths; }
        int* m_deaths;
    };
    struct Derived : Counted
    {
        Derived(int* deaths, int* own) : Counted(deaths), m_own(own) {}
        ~Derived() override { ++*m_own; }
        int* m_own;
    };
}

TEST(Single, OwnsTransfersAndDestroysThroughTheInterface)
{
    int deaths = 0, own = 0;
    {
        Ryx_Lib::Single<Counted> empty;
        EXPECT_FALSE(empty);
    }
    {
        Ryx_Lib::Single<Counted> a(new Derived(&deaths, &own));
        Ryx_Lib::Single<Counted> b(new Counted(&deaths));
        Counted* held_by_b = b.Get();
        a = std::move(b);  // deletes a's object, takes b's
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(own, 1);  // the derived part was destroyed too
        EXPECT_EQ(a.Get(), held_by_b);
        EXPECT_FALSE(b);
        a = std::move(a);  // transfer to itself keeps the object
        EXPECT_EQ(a.Get(), held_by_b);
        EXPECT_EQ(deaths, 1);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(Assertion, ReportsTheConditionTextCaptionFileAndLine)
{
    Ryx_Test::Assertion_Recorder recorder;
    int s_music = 1;
    RYX_ASSERT(s_music == 0);
    RYX_ASSERT(!"invalid texture width");
    RYX_ASSERT_MSG(false, "JPG Error", 100);
    RYX_ASSERT(s_music == 1);  // holds: no report
    ASSERT_EQ(recorder.Reports().size(), 3u);
    EXPECT_EQ(recorder.Reports()[0].expression, "s_music == 0");
    EXPECT_FALSE(recorder.Reports()[0].has_caption);
    EXPECT_EQ(recorder.Reports()[0].line, 0u);
    EXPECT_NE(recorder.Reports()[0].file.find("Test_Lib"), std::string::npos);
    EXPECT_EQ(recorder.Reports()[1].expression, "!\"invalid texture width\"");
    EXPECT_EQ(recorder.Reports()[2].expression, "false");
    EXPECT_EQ(recorder.Reports()[2].caption, "\"JPG Error\"");
    EXPECT_EQ(recorder.Reports()[2].line, 100u);
}

TEST(Rand, IsTheClassicFifteenBitStream)
{
    Ryx_Vektu::Restart_Rand();
    // The first values of the classic C runtime generator from state 1.
    EXPECT_EQ(Ryx_Vektu::Rand(), 41);
    EXPECT_EQ(Ryx_Vektu::Rand(), 18467);
    EXPECT_EQ(Ryx_Vektu::Rand(), 6334);
    int highest = 0;
    for (int i = 0; i < 100000; ++i)
        highest = std::max(highest, Ryx_Vektu::Rand());
    EXPECT_LE(highest, 32767);
    EXPECT_GT(highest, 32700);
    Ryx_Vektu::Restart_Rand();
    EXPECT_EQ(Ryx_Vektu::Rand(), 41);
}

TEST(Saturating_Add, WorkedExamplesAndAgreementWithPerChannelReference)
{
    using Ryx_Vektu::Saturating_Add;
    EXPECT_EQ(Saturating_Add(0xFFC0C0C0u, 0xFF808080u), 0xFFFFFFFFu);
    EXPECT_EQ(Saturating_Add(0xFF0000FFu, 0xFF000001u), 0xFF0001FFu);
    EXPECT_EQ(Saturating_Add(0u, 0x005F5F5Fu), 0xFF5E5E5Fu);
    // Against a per-channel reference of the same rule (low bits of red and
    // green dropped, carries of blue and green setting the next channel's low bit).
    for (std::uint32_t a = 0; a < 256; a += 3)
        for (std::uint32_t b = 0; b < 256; b += 5)
        {
            std::uint32_t pa = a << 16 | (255 - a) << 8 | a, pb = b << 16 | b << 8 | (255 - b);
            std::uint32_t blue = (pa & 255) + (pb & 255);
            std::uint32_t green = ((pa >> 8) & 254) + ((pb >> 8) & 254) + (blue > 255);
            std::uint32_t red = ((pa >> 16) & 254) + ((pb >> 16) & 254) + (green > 255);
            auto sat = [](std::uint32_t v) { return v > 255 ? 255u : v; };
            std::uint32_t expected = 0xFF000000u | sat(red) << 16 | sat(green) << 8 | sat(blue);
            ASSERT_EQ(Saturating_Add(pa, pb), expected) << std::hex << pa << " + " << pb;
        }
}

TEST(Assertion, EveryReportIsOneStderrLineWithTheDefaultCaption)
{
    testing::internal::CaptureStderr();
    Ryx_Lib::Throw_Assertion("s_music == 0", nullptr, "Code/Music.cpp", 0);
    Ryx_Lib::Throw_Assertion(nullptr, "\"JPG Error\"", "Code/Texture.cpp", 100);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text,
              "assertion: s_music == 0 | caption: Error | file: Code/Music.cpp | line: 0\n"
              "assertion:  | caption: \"JPG Error\" | file: Code/Texture.cpp | line: 100\n");
}

namespace
{
    struct Counting_Callback : Ryx_Lib::Callback
    {
        explicit Counting_Callback(int* deaths) : m_deaths(deaths) {}
        ~Counting_Callback() override { ++*m_deaths; }
        void Execute() override {}
        int* m_deaths;
    };
}

TEST(Callback, IsDestroyedThroughTheLibrarysDestructor)
{
    int deaths = 0;
    {
        Ryx_Lib::Single<Ryx_Lib::Callback> callback(new Counting_Callback(&deaths));
        callback->Execute();
        // A holder of a derived type hands its object over to a holder of the base.
        Ryx_Lib::Single<Counting_Callback> derived(new Counting_Callback(&deaths));
        Ryx_Lib::Single<Ryx_Lib::Callback> base(std::move(derived));
        EXPECT_FALSE(derived);
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 2);
}
