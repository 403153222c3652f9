// The no-sound clock of a desktop system: a thread that pulls the mix at
// real-time pace on the monotonic clock and throws the sound away, so that
// the music keeps time without a sound device.
#include "Platform/Audio_Output.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>
#include "Platform/Audio_Player.h"
#include "Platform/Heard_Clock.h"

namespace Ryx_Platform
{
    namespace
    {
        class No_Sound_Output : public Audio_Output
        {
        public:
            static constexpr std::size_t Buffer_Frames = 256;  // 5.8 ms a pull

            No_Sound_Output(Audio_Mix* mix, void* user) : m_mix(mix), m_user(user)
            {
                m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
            }

            void Pause(bool paused) override
            {
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    if (paused == !m_active)
                        return;
                    m_active = !paused;
                    if (m_active)
                    {
                        m_origin = Audio_Now();
                        ++m_generation;
                    }
                }
                m_wake.notify_all();
            }

            // Starts pulling now, on a schedule counted from this instant.
            void Restart() override
            {
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_origin = Audio_Now();
                    m_active = true;
                    ++m_generation;
                }
                m_wake.notify_all();
            }

            std::uint64_t Heard_Frame(Audio_Player& player) override { return player.Heard_Frame(Audio_Now()); }
            std::string Get_Name() const override { return std::string(); }

        private:
            void Run(std::stop_token stop)
            {
                using Clock = std::chrono::steady_clock;
                std::vector<std::int16_t> discard(2 * Buffer_Frames);
                std::unique_lock<std::mutex> lock(m_lock);
                while (!stop.stop_requested())
                {
                    if (!m_active)
                    {
                        m_wake.wait(lock, stop, [&] { return m_active; });
                        continue;
                    }
                    std::uint64_t generation = m_generation;
                    double origin = m_origin;
                    // Pull k is due at origin + (k - 1) buffers and is heard
                    // one buffer later: an absolute schedule, so a late wake-up
                    // delays one pull and never the ones after it, and one
                    // buffer in hand means a wake-up up to a buffer late never
                    // stalls the position.
                    for (std::uint64_t k = 0; m_active && generation == m_generation; ++k)
                    {
                        double due = origin + (double(k) - 1.0) * double(Buffer_Frames) / 44100.0;
                        Clock::time_point at{
                            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due))};
                        if (m_wake.wait_until(lock, stop, at,
                                              [&] { return !m_active || generation != m_generation; }) ||
                            stop.stop_requested())
                            break;
                        lock.unlock();
                        m_mix(discard.data(), Buffer_Frames, due, Buffer_Frames, m_user);
                        lock.lock();
                    }
                }
            }

            Audio_Mix* m_mix;
            void* m_user;
            std::mutex m_lock;
            std::condition_variable_any m_wake;
            bool m_active = false;
            std::uint64_t m_generation = 0;
            double m_origin = 0;
            // Last: started once everything it reads exists, and stopped and
            // joined first when the output goes.
            std::jthread m_thread;
        };
    }

    std::unique_ptr<Audio_Output> Create_No_Sound_Output(Audio_Mix* mix, void* user)
    {
        return std::make_unique<No_Sound_Output>(mix, user);
    }
}
