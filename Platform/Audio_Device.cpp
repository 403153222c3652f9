// The sound card through SDL's audio callback, and the no-sound pacer thread.
#include "Platform/Audio_Device.h"

#include <chrono>
#include <cstring>
#include <vector>

#include <SDL.h>

namespace Ryx_Platform
{
    double Audio_Now()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

    bool Sdl_Device::Open(Audio_Mix* mix, void* user, std::string* error, bool dummy_is_a_card)
    {
        Close();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            if (error)
                *error = SDL_GetError();
            return false;
        }
        // SDL's dummy and disk drivers reach no ear, and their pulls only
        // roughly keep real time: they count as no sound device, so the
        // show runs on the no-sound pacer's exact clock.
        const char* driver = SDL_GetCurrentAudioDriver();
        if (driver && ((std::strcmp(driver, "dummy") == 0 && !dummy_is_a_card) || std::strcmp(driver, "disk") == 0))
        {
            if (error)
                *error = std::string("SDL's ") + driver + " audio driver plays to no sound device";
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        m_driver = driver ? driver : "";
        m_mix = mix;
        m_user = user;
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // SDL converts rate and format for us; only the buffer size is the
        // device's choice, and the heard position accounts for it.
        SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        if (id == 0)
        {
            if (error)
                *error = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        m_device = id;
        m_buffer_frames = have.samples;
        SDL_PauseAudioDevice(id, 0);
        return true;
    }

    void Sdl_Device::Close()
    {
        if (m_device == 0)
            return;
        SDL_CloseAudioDevice(m_device);  // waits for a running callback
        m_device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    void Sdl_Device::Pause(bool paused)
    {
        if (m_device != 0)
            SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
    }

    void Sdl_Device::Callback(void* self, std::uint8_t* stream, int length)
    {
        double now = Audio_Now();
        auto* device = static_cast<Sdl_Device*>(self);
        std::size_t frames = static_cast<std::size_t>(length) / 4;
        device->m_mix(reinterpret_cast<std::int16_t*>(stream), frames, now, device->m_buffer_frames, device->m_user);
    }

    void Null_Device::Open(Audio_Mix* mix, void* user)
    {
        Close();
        m_mix = mix;
        m_user = user;
        m_quit = false;
        m_active = false;
        m_thread = std::thread(&Null_Device::Run, this);
    }

    void Null_Device::Close()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void Null_Device::Restart()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_origin = Audio_Now();
            m_active = true;
            ++m_generation;
        }
        m_wake.notify_all();
    }

    void Null_Device::Pause(bool paused)
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

    void Null_Device::Run()
    {
        using Clock = std::chrono::steady_clock;
        std::vector<std::int16_t> discard(2 * Buffer_Frames);
        std::unique_lock<std::mutex> lock(m_lock);
        while (!m_quit)
        {
            if (!m_active)
            {
                m_wake.wait(lock);
                continue;
            }
            std::uint64_t generation = m_generation;
            double origin = m_origin;
            // Pull k is due at origin + (k - 1) buffers and is heard one buffer
            // later: an absolute schedule, so a late wake-up delays one pull
            // and never the ones after it, and one buffer in hand means a
            // wake-up up to a buffer late never stalls the position.
            for (std::uint64_t k = 0; !m_quit && m_active && generation == m_generation; ++k)
            {
                double due = origin + (double(k) - 1.0) * double(Buffer_Frames) / 44100.0;
                Clock::time_point at{std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due))};
                if (m_wake.wait_until(lock, at, [&] { return m_quit || !m_active || generation != m_generation; }))
                    break;
                lock.unlock();
                m_mix(discard.data(), Buffer_Frames, due, Buffer_Frames, m_user);
                lock.lock();
            }
        }
    }
}
