// Which frame of a stream the listener hears at a given moment, estimated
// from nothing but the moments the device pulled its buffers: the device's
// own sample clock is not the host's, and its wake-ups come late by a little,
// sometimes by more. A value class with no lock and no decoder: its owner
// feeds it every pull and asks it under a lock of its own. Inline so that a
// test can drive it alone on a scripted clock.
#pragma once
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace Ryx_Platform
{
    // Seconds on the monotonic clock: the time base of every pull and every
    // question the live outputs ask.
    inline double Audio_Now()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

    class Heard_Clock
    {
    public:
        static constexpr double Nominal_Rate = 44100;
        // A pull later than the device's own pace by up to this much is taken
        // as a late wake-up, not as the device slowing down.
        static constexpr double Max_Lateness = 0.002;

        // A new stream: nothing pulled, nothing heard.
        void Reset()
        {
            m_pulled = 0;
            m_have_anchor = false;
            m_last_heard = 0;
        }

        // The device took `frames` more at `now` (seconds on its clock); the
        // first of them is heard once it has played `latency` frames more.
        void Note_Pull(double now, std::uint64_t frames, std::uint32_t latency)
        {
            if (m_have_anchor)
            {
                // Measure the device's pace over the whole stretch, which
                // averages the wake-ups out. A late wake-up skews it by at most
                // its lateness over the span, and the span is never shorter
                // than the stretch extrapolated from it, so the skew stays
                // below the lateness.
                double expected = m_anchor + double(m_pulled - m_anchor_frames) / m_device_rate;
                // Later than the whole previous pull lasts: the device ran dry
                // or was paused, and the pace so far says nothing about the
                // time in between, so measure afresh.
                double gap = std::max(2 * Max_Lateness, double(m_pulled - m_anchor_frames) / m_device_rate);
                if (now - expected > gap)
                {
                    m_first_pull = now;
                    m_first_frames = m_pulled;
                    m_anchor = now;
                }
                else
                {
                    double span = now - m_first_pull;
                    if (span > 0.04)
                        m_device_rate = std::clamp(double(m_pulled - m_first_frames) / span, 0.95 * Nominal_Rate,
                                                   1.05 * Nominal_Rate);
                    expected = m_anchor + double(m_pulled - m_anchor_frames) / m_device_rate;
                    m_anchor = std::min(now, std::max(expected, now - Max_Lateness));
                }
            }
            else
            {
                m_anchor = now;
                m_first_pull = now;
                m_first_frames = m_pulled;
                m_device_rate = Nominal_Rate;
                m_have_anchor = true;
            }
            m_anchor_frames = m_pulled;
            m_anchor_latency = latency;
            m_pulled += frames;
        }

        // The frame heard at `now`: never goes back, never beyond what was
        // pulled.
        std::uint64_t Heard_Frame(double now)
        {
            if (!m_have_anchor)
                return m_last_heard;
            double since = std::floor((now - m_anchor) * m_device_rate);
            double heard = double(m_anchor_frames) + since - double(m_anchor_latency);
            std::uint64_t frame = heard <= 0 ? 0 : static_cast<std::uint64_t>(heard);
            frame = std::min(frame, m_pulled);
            m_last_heard = std::max(m_last_heard, frame);
            return m_last_heard;
        }

        // The last answer, held while the stream does not play.
        std::uint64_t Last_Heard() const { return m_last_heard; }
        std::uint64_t Pulled_Frames() const { return m_pulled; }

    private:
        std::uint64_t m_pulled = 0;
        bool m_have_anchor = false;
        double m_anchor = 0;                // device time of the last pull, smoothed
        std::uint64_t m_anchor_frames = 0;  // frames pulled before that pull
        std::uint32_t m_anchor_latency = 0;
        double m_first_pull = 0;              // device time of the first pull since a gap
        std::uint64_t m_first_frames = 0;     // frames pulled before it
        double m_device_rate = Nominal_Rate;  // frames a second, as the device pulls them
        std::uint64_t m_last_heard = 0;
    };
}
