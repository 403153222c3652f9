// The no-sound clock in a browser, where a page has no threads (no shared
// memory without special headers). It keeps the desktop clock's absolute
// schedule of 256-frame pulls, but a timer of the page runs them: each tick
// makes every pull that has fallen due, with its due time, so a late or
// throttled tick (a hidden tab) delays pulls and never shifts the schedule.
#include "Platform/Audio_Output.h"

#include <emscripten/eventloop.h>
#include <vector>
#include "Platform/Audio_Player.h"
#include "Platform/Heard_Clock.h"

namespace Ryx_Platform
{
    namespace
    {
        // A little faster than pulls fall due, so the position never waits
        // long for a pull.
        constexpr double Tick_Milliseconds = 4.0;

        class No_Sound_Output : public Audio_Output
        {
        public:
            static constexpr std::size_t Buffer_Frames = 256;  // 5.8 ms a pull

            No_Sound_Output(Audio_Mix* mix, void* user) : m_mix(mix), m_user(user), m_discard(2 * Buffer_Frames)
            {
                m_interval = emscripten_set_interval([](void* self) { static_cast<No_Sound_Output*>(self)->Tick(); },
                                                     Tick_Milliseconds, this);
            }
            ~No_Sound_Output() override { emscripten_clear_interval(m_interval); }

            // Nothing runs between two of the program's calls: a pull is never
            // in progress here.
            void Pause(bool paused) override
            {
                if (paused == !m_active)
                    return;
                if (paused)
                    m_active = false;
                else
                    Restart();
            }

            // Pulls from now on, on a schedule counted from this instant.
            void Restart() override
            {
                m_origin = Audio_Now();
                m_next_pull = 0;
                m_active = true;
                ++m_generation;
            }

            std::uint64_t Heard_Frame(Audio_Player& player) override { return player.Heard_Frame(Audio_Now()); }
            std::string Get_Name() const override { return std::string(); }

        private:
            // Every pull due by now. Pull k is due at origin + (k - 1) buffers
            // and heard one buffer later, as on the desktop clock.
            void Tick()
            {
                const std::uint64_t generation = m_generation;
                const double now = Audio_Now();
                while (m_active && generation == m_generation)
                {
                    double due = m_origin + (double(m_next_pull) - 1.0) * double(Buffer_Frames) / 44100.0;
                    if (due > now)
                        break;
                    ++m_next_pull;
                    // A sync procedure may restart or pause the clock: the loop
                    // then ends and the next tick follows the new schedule.
                    m_mix(m_discard.data(), Buffer_Frames, due, Buffer_Frames, m_user);
                }
            }

            Audio_Mix* m_mix;
            void* m_user;
            std::vector<std::int16_t> m_discard;
            long m_interval = 0;
            bool m_active = false;
            std::uint64_t m_generation = 0;
            std::uint64_t m_next_pull = 0;
            double m_origin = 0;
        };
    }

    std::unique_ptr<Audio_Output> Create_No_Sound_Output(Audio_Mix* mix, void* user)
    {
        return std::make_unique<No_Sound_Output>(mix, user);
    }
}
