#include "Tools/Flash_Check/Flash_Series.h"

#include <algorithm>

namespace Ryx_Tools
{
    using Ryx_Platform::Flash_Views;
    using Ryx_Platform::Swing_Tracker;

    Flash_Series::Flash_Series() : m_times(std::size_t(Flash_Views) * 2)
    {
        for (int v = 0; v < Flash_Views; ++v)
        {
            m_trackers.emplace_back(Ryx_Platform::Luminance_Swing);
            m_trackers.emplace_back(Ryx_Platform::Red_Swing);
        }
    }

    void Flash_Series::Add(const Ryx_Platform::Frame_Levels& levels, std::uint32_t milliseconds)
    {
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                std::size_t i = Index(v, red);
                if (m_trackers[i].Feed(red ? levels.red[v] : levels.luminance[v]))
                    m_times[i].push_back(milliseconds);
            }
        ++m_frames;
        m_last = milliseconds;
    }

    std::vector<int> Crowding(const std::vector<std::uint32_t>& times)
    {
        std::vector<int> count(times.size(), 0);
        std::size_t first = 0;
        for (std::size_t i = 0; i < times.size(); ++i)
        {
            while (times[i] - times[first] >= 1000)
                ++first;
            count[i] = int(i - first + 1);
        }
        return count;
    }

    std::vector<Flash_Second> Flash_Series::Evaluate() const
    {
        std::vector<Flash_Second> seconds(m_frames ? m_last / 1000 + 1 : 0);
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                const std::vector<std::uint32_t>& times = m_times[Index(v, red)];
                std::vector<int> crowding = Crowding(times);
                std::vector<int> worst(seconds.size(), 0);
                for (std::size_t i = 0; i < times.size(); ++i)
                {
                    Flash_Second& second = seconds[times[i] / 1000];
                    int& w = worst[times[i] / 1000];
                    w = std::max(w, crowding[i]);
                    if (crowding[i] < Flash_Limit)
                        continue;
                    second.first_failing = std::min(second.first_failing, times[i]);
                    second.last_failing = std::max(second.last_failing, times[i]);
                }
                for (std::size_t s = 0; s < seconds.size(); ++s)
                {
                    Flash_Second& second = seconds[s];
                    if (red)
                    {
                        if (worst[s] > second.red)
                            second.red = worst[s], second.red_view = v;
                    }
                    else if (v == 0)
                        second.whole = worst[s];
                    else
                    {
                        if (worst[s] > second.windows)
                            second.windows = worst[s], second.window = v;
                        if (worst[s] >= Flash_Limit)
                            ++second.failing_windows;
                    }
                }
            }
        return seconds;
    }
}
