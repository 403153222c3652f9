// The scripted device: pull k is due when the device's sample clock has
// played k buffers, and happens a random little while later; frame F is heard
// at (F + latency) / device rate. Position queries run between pulls in time
// order, exactly as the main thread's would.
#include "Platform/Test/Audio_Measure.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>

#include <libopenmpt/libopenmpt.hpp>

#include "Platform/Audio_Player.h"
#include "Platform/Heard_Clock.h"

namespace Ryx_Platform
{
    std::vector<Row_Start> Reference_Row_Starts(const void* data, std::size_t size, std::uint64_t frames)
    {
        std::vector<Row_Start> starts;
        std::ostringstream warnings;
        try
        {
            // No dither: the same module renders to the same bytes every time.
            std::map<std::string, std::string> ctls{{"play.at_end", "stop"}, {"dither", "0"}};
            openmpt::module module(data, size, warnings, ctls);
            module.set_repeat_count(0);
            std::int16_t frame[2];
            std::uint32_t last = 0xFFFFFFFF;
            for (std::uint64_t f = 0; f < frames; ++f)
            {
                if (module.read_interleaved_stereo(Audio_Rate, 1, frame) != 1)
                    break;
                std::uint32_t packed = (std::uint32_t(module.get_current_order()) & 0xFFFF) |
                    (std::uint32_t(module.get_current_row()) & 0xFFFF) << 16;
                if (packed != last)
                    starts.push_back({f, packed});
                last = packed;
            }
        }
        catch (...)
        {
            starts.clear();
        }
        return starts;
    }

    namespace
    {
        // A small fixed generator: the same scripted clock on every machine.
        struct Lcg
        {
            std::uint32_t state;
            double Next()
            {
                state = state * 1664525u + 1013904223u;
                return double(state >> 8) / double(1u << 24);
            }
        };

        // Pull k is due when the double's sample clock has played k buffers,
        // and happens a random little while later.
        class Scripted_Pulls
        {
        public:
            explicit Scripted_Pulls(const Device_Double& device)
                : m_device(device), m_rate(Audio_Rate * (1.0 + device.drift)), m_random{device.seed}
            {}

            double Rate() const { return m_rate; }
            // When the next pull happens.
            double Next() const { return m_next; }
            // The time the double stamps the next pull with.
            double Stamp() const
            {
                return m_device.stamps_due_time ? double(m_pulls * m_device.buffer_frames) / m_rate : m_next;
            }

            void Advance()
            {
                // A pull can be late by at most most of a buffer, or the double
                // would have run dry: a real device would have glitched, not
                // just drifted.
                const double cap = 0.9 * (m_device.buffer_frames / m_rate);
                ++m_pulls;
                double due = double(m_pulls * m_device.buffer_frames) / m_rate;
                double late = m_random.Next() * m_device.late_ms / 1000.0;
                if (m_random.Next() < 0.05)
                    late = m_random.Next() * m_device.spike_ms / 1000.0;
                m_next = due + std::min(late, cap);
            }

        private:
            const Device_Double& m_device;
            double m_rate;
            Lcg m_random;
            std::uint64_t m_pulls = 0;
            double m_next = 0;
        };

        double Median(std::vector<double>& values)
        {
            std::sort(values.begin(), values.end());
            return values.empty() ? 0.0 : values[values.size() / 2];
        }
    }

    Position_Error Measure_Position_Error(const void* data, std::size_t size, const std::vector<Row_Start>& truth,
                                          const Device_Double& device, double seconds)
    {
        Position_Error result;
        std::unique_ptr<Audio_Player> player = Audio_Player::Load(data, size, nullptr);
        if (!player || truth.empty())
        {
            result.missing = truth.size();
            return result;
        }
        player->Start(0, 0);

        Scripted_Pulls pulls(device);
        const double rate = pulls.Rate();
        std::vector<std::int16_t> buffer(2 * std::size_t(device.buffer_frames));

        std::uint32_t last = player->Position_At(0);
        std::size_t next_truth = 1;
        const double step = 0.0001;
        std::vector<double> errors;
        for (double t = 0; t < seconds; t += step)
        {
            while (pulls.Next() <= t)
            {
                player->Pull(buffer.data(), device.buffer_frames, pulls.Stamp(), device.latency_frames);
                pulls.Advance();
            }
            std::uint32_t packed = player->Position_At(player->Heard_Frame(t));
            if (packed == last)
                continue;
            last = packed;
            if (next_truth < truth.size() && truth[next_truth].packed == packed)
            {
                double heard = double(truth[next_truth].frame + device.latency_frames) / rate;
                errors.push_back((t - heard) * 1000.0);
                ++next_truth;
            }
            else
                ++result.missing;
        }
        // Rows that should have been heard within the span but never showed.
        while (next_truth < truth.size() &&
               double(truth[next_truth].frame + device.latency_frames) / rate < seconds - 0.01)
        {
            ++result.missing;
            ++next_truth;
        }
        result.rows = errors.size();
        if (errors.empty())
            return result;
        double sum = 0;
        std::vector<double> magnitudes;
        for (double e : errors)
        {
            sum += e;
            magnitudes.push_back(std::fabs(e));
        }
        std::sort(magnitudes.begin(), magnitudes.end());
        result.max_ms = magnitudes.back();
        result.median_ms = magnitudes[magnitudes.size() / 2];
        result.mean_signed_ms = sum / double(errors.size());
        return result;
    }

    Clock_Error Measure_Clock_Error(const Device_Double& device, double seconds)
    {
        Scripted_Pulls pulls(device);
        Heard_Clock clock;
        std::vector<double> errors;
        for (double t = 0; t < seconds; t += 0.0001)
        {
            while (pulls.Next() <= t)
            {
                clock.Note_Pull(pulls.Stamp(), device.buffer_frames, device.latency_frames);
                pulls.Advance();
            }
            // Frame F is heard at (F + latency) / rate.
            double playing = std::floor(t * pulls.Rate()) - device.latency_frames;
            if (playing < 0)
                continue;
            errors.push_back(std::fabs(double(clock.Heard_Frame(t)) - playing) / pulls.Rate() * 1000.0);
        }
        Clock_Error result;
        result.median_ms = Median(errors);
        result.max_ms = errors.empty() ? 0.0 : errors.back();
        return result;
    }
}
