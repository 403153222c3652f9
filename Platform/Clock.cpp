#include "Platform/Clock.h"

#include <atomic>
#include <chrono>

namespace Ryx_Platform
{
    namespace
    {
        // Counted from the program's start: float seconds stored by the scenes
        // keep millisecond resolution however long the machine has been up.
        const std::chrono::steady_clock::time_point s_origin = std::chrono::steady_clock::now();
        std::atomic<bool> s_virtual{false};
        std::atomic<std::uint32_t> s_virtual_ms{0};
    }

    std::uint32_t timeGetTime()
    {
        if (s_virtual.load(std::memory_order_acquire))
            return s_virtual_ms.load(std::memory_order_relaxed);
        auto elapsed = std::chrono::steady_clock::now() - s_origin;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
    }

    void Set_Virtual_Time(std::uint32_t milliseconds)
    {
        s_virtual_ms.store(milliseconds, std::memory_order_relaxed);
        s_virtual.store(true, std::memory_order_release);
    }

    void Use_Real_Time() { s_virtual.store(false, std::memory_order_release); }
}
