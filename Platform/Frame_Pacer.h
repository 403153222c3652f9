// Holds a live display to a floor of one period a frame: the show's per-frame
// decays were tuned for 60 frames a second. Inline so that a test can time it
// alone.
#pragma once
#include <chrono>
#include <thread>

namespace Ryx_Platform
{
    class Frame_Pacer
    {
    public:
        explicit Frame_Pacer(std::chrono::microseconds period) : m_period(period) {}

        // Returns when the frame is due, one period after the last one. A
        // late frame starts a new schedule instead of rushing to catch up.
        void Wait()
        {
            Clock::time_point due = m_last + m_period;
            Clock::time_point now = Clock::now();
            if (now < due)
            {
                std::this_thread::sleep_until(due);
                m_last = due;
            }
            else
                m_last = now;
        }

    private:
        using Clock = std::chrono::steady_clock;
        std::chrono::microseconds m_period;
        Clock::time_point m_last{};
    };
}
