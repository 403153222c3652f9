// The scripted device: pull k is due when the device's sample clock has
// played k buffers, and happens a random little while later; frame F is heard
// at (F + latency) / device rate. Position queries run between pulls in time
// order, exactly as the main thread's would.
#include "Platform/Audio_Measure.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>

#include <libopenmpt/libopenmpt.hpp>

#include "Platform/Audio_Player.h"

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

        const double rate = Audio_Rate * (1.0 + device.drift);
        const double buffer_seconds = device.buffer_frames / rate;
        // A pull can be late by at most most of a buffer, or the double would
        // have run dry: a real device would have glitched, not just drifted.
        const double cap = 0.9 * buffer_seconds;
        Lcg random{device.seed};
        std::vector<std::int16_t> buffer(2 * std::size_t(device.buffer_frames));

        std::vector<double> reported;  // time each change after the first was first seen
        std::uint32_t last = player->Position_At(0);
        std::size_t next_truth = 1;
        std::uint64_t pulls = 0;
        double next_pull = 0;
        const double step = 0.0001;
        std::vector<double> errors;
        for (double t = 0; t < seconds; t += step)
        {
            while (next_pull <= t)
            {
                double stamp = device.stamps_due_time ? double(pulls * device.buffer_frames) / rate : next_pull;
                player->Pull(buffer.data(), device.buffer_frames, stamp, device.latency_frames);
                ++pulls;
                double due = double(pulls * device.buffer_frames) / rate;
                double late = random.Next() * device.late_ms / 1000.0;
                if (random.Next() < 0.05)
                    late = random.Next() * device.spike_ms / 1000.0;
                next_pull = due + std::min(late, cap);
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
}
