// The sound card through SDL's audio callback. SDL converts rate and format
// for us; only the buffer size is the device's choice, and the heard position
// accounts for it.
#include "Platform/Audio_Output.h"

#include <SDL.h>
#include <cstring>
#include "Platform/Audio_Player.h"
#include "Platform/Heard_Clock.h"

namespace Ryx_Platform
{
    namespace
    {
        class Sound_Card_Output : public Audio_Output
        {
        public:
            Sound_Card_Output(Audio_Mix* mix, void* user) : m_mix(mix), m_user(user) {}
            ~Sound_Card_Output() override
            {
                if (m_device == 0)
                    return;
                SDL_CloseAudioDevice(m_device);  // waits for a running callback
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
            }

            // The audio subsystem is up; false (with the reason) when no
            // device opens.
            bool Open(std::string* error)
            {
                SDL_AudioSpec want{};
                want.freq = Audio_Rate;
                want.format = AUDIO_S16SYS;
                want.channels = 2;
                want.samples = 1024;
                want.callback = &Callback;
                want.userdata = this;
                SDL_AudioSpec have{};
                SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
                if (id == 0)
                {
                    if (error)
                        *error = SDL_GetError();
                    return false;
                }
                const char* driver = SDL_GetCurrentAudioDriver();
                m_driver = driver ? driver : "";
                m_device = id;
                m_buffer_frames = have.samples;
                SDL_PauseAudioDevice(id, 0);
                return true;
            }

            void Pause(bool paused) override { SDL_PauseAudioDevice(m_device, paused ? 1 : 0); }
            void Restart() override {}
            std::uint64_t Heard_Frame(Audio_Player& player) override { return player.Heard_Frame(Audio_Now()); }
            std::string Get_Name() const override { return m_driver.empty() ? "sound card" : m_driver; }

        private:
            static void Callback(void* self, std::uint8_t* stream, int length)
            {
                double now = Audio_Now();
                auto* output = static_cast<Sound_Card_Output*>(self);
                std::size_t frames = static_cast<std::size_t>(length) / 4;
                std::uint32_t latency = output->m_buffer_frames + System_Output_Latency(44100);
                output->m_mix(reinterpret_cast<std::int16_t*>(stream), frames, now, latency, output->m_user);
            }

            Audio_Mix* m_mix;
            void* m_user;
            SDL_AudioDeviceID m_device = 0;
            std::uint32_t m_buffer_frames = 0;
            std::string m_driver;
        };
    }

    std::unique_ptr<Audio_Output> Open_Sound_Card(int device, Audio_Mix* mix, void* user, std::string* error,
                                                  bool dummy_is_a_card)
    {
        if (device == -2 || device == 0)
            return nullptr;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            if (error)
                *error = SDL_GetError();
            return nullptr;
        }
        // SDL's dummy and disk drivers reach no ear, and their pulls only
        // roughly keep real time: they count as no sound device, so the show
        // runs on the no-sound clock's exact time.
        const char* driver = SDL_GetCurrentAudioDriver();
        if (driver && ((std::strcmp(driver, "dummy") == 0 && !dummy_is_a_card) || std::strcmp(driver, "disk") == 0))
        {
            if (error)
                *error = std::string("SDL's ") + driver + " audio driver plays to no sound device";
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
        auto output = std::make_unique<Sound_Card_Output>(mix, user);
        if (!output->Open(error))
        {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
        return output;
    }
}
