#include "Code/Timer.h"
#include "Platform/Clock.h"

namespace Ryx_Vektu
{
    Timer_Impl* s_timer = nullptr;

    Timer_Impl::Timer_Impl() { s_timer = this; }

    // The newest timer wins; destroying any of them clears the pointer.
    Timer_Impl::~Timer_Impl() { s_timer = nullptr; }

    void Timer_Impl::Reset() { m_time = 0.0; }

    // The absolute reading, not the time since Reset: scenes keep their own
    // previous readings and subtract.
    void Timer_Impl::Update() { m_time = static_cast<double>(Ryx_Platform::timeGetTime()) * 0.001; }

    double Timer_Impl::Get_Time() { return m_time; }

    Ryx_Lib::Single<Timer> Create_Timer() { return Ryx_Lib::Single<Timer>(new Timer_Impl); }

    Timer_Impl* Get_Timer() { return s_timer; }
}
