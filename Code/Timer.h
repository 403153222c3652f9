// The show's one clock reading per frame, in seconds.
#pragma once
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Timer
    {
    public:
        virtual ~Timer() = default;
        virtual void Reset() = 0;
        virtual void Update() = 0;
        virtual double Get_Time() = 0;
    };

    class Timer_Impl : public Timer
    {
    public:
        Timer_Impl();
        ~Timer_Impl() override;
        void Reset() override;
        void Update() override;
        double Get_Time() override;

    private:
        double m_time = 0.0;
    };

    // The live timer; null before the first and after the last one.
    extern Timer_Impl* s_timer;

    Ryx_Lib::Single<Timer> Create_Timer();
    Timer_Impl* Get_Timer();
}
