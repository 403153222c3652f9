// The show's clock, on the virtual millisecond counter.
#include <gtest/gtest.h>

#include "Code/Timer.h"
#include "Platform/Clock.h"

using namespace Ryx_Vektu;

namespace
{
    struct Virtual_Clock
    {
        ~Virtual_Clock() { Ryx_Platform::Use_Real_Time(); }
    };
}

TEST(Timer, ReadsOncePerUpdateAndResetsToZero)
{
    Virtual_Clock clock;
    EXPECT_EQ(Get_Timer(), nullptr);
    {
        Ryx_Lib::Single<Timer> timer = Create_Timer();
        ASSERT_NE(Get_Timer(), nullptr);
        EXPECT_EQ(static_cast<Timer*>(Get_Timer()), timer.Get());
        EXPECT_EQ(timer->Get_Time(), 0.0);

        Ryx_Platform::Set_Virtual_Time(12345);
        EXPECT_EQ(timer->Get_Time(), 0.0) << "nothing changes before Update";
        timer->Update();
        Ryx_Platform::Set_Virtual_Time(99999);
        EXPECT_EQ(Get_Timer()->Get_Time(), 12.345);
        EXPECT_EQ(Get_Timer()->Get_Time(), 12.345) << "one reading per frame";

        timer->Reset();
        EXPECT_EQ(timer->Get_Time(), 0.0);
        timer->Update();
        EXPECT_EQ(timer->Get_Time(), 99.999) << "absolute, not since Reset";
    }
    EXPECT_EQ(Get_Timer(), nullptr);
}

TEST(Timer, CounterIsUnsignedAndWraps)
{
    Virtual_Clock clock;
    Ryx_Lib::Single<Timer> timer = Create_Timer();
    Ryx_Platform::Set_Virtual_Time(4294967295u);
    timer->Update();
    EXPECT_EQ(timer->Get_Time(), 4294967.295);
    Ryx_Platform::Set_Virtual_Time(4294967295u + 3u);
    timer->Update();
    EXPECT_EQ(timer->Get_Time(), 0.002);
}

TEST(Timer, RealCounterStartsNearZeroAndAdvances)
{
    Ryx_Platform::Use_Real_Time();
    std::uint32_t first = Ryx_Platform::timeGetTime();
    EXPECT_LT(first, 60000u) << "counted from the program's start";
    std::uint32_t later = first;
    for (int i = 0; i < 100000000 && later == first; ++i)
        later = Ryx_Platform::timeGetTime();
    EXPECT_GT(later, first);
}
