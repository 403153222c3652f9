// The two live outputs in a browser, standing in for Audio_Device.cpp there
// until the audio outputs become backends of their own: a page has no
// threads (no shared memory without special headers).
//
// The sound card is SDL's Web Audio output, whose callback the browser runs
// on the main thread between two of the program's frames. The no-sound pacer
// keeps the native one's absolute schedule of 256-frame pulls, but a timer of
// the page runs them: each tick makes every pull that has fallen due, with
// its due time, so a late or throttled tick (a hidden tab) delays pulls and
// never shifts the schedule.
#include "Platform/Audio_Device.h"

#include <SDL.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <chrono>
#include <cstring>
#include <map>
#include <vector>

// What the browser adds before a buffer handed to Web Audio is heard: its
// processing and the output device's latency, in seconds.
EM_JS(double, Web_Output_Latency, (), {
    const sdl = Module['SDL2'];
    const context = sdl && sdl.audioContext;
    if (!context)
        return 0;
    return (context.baseLatency || 0) + (context.outputLatency || 0);
});

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
        SDL_CloseAudioDevice(m_device);
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
        // The buffer SDL hands on, then the browser's own latency.
        auto latency = static_cast<std::uint32_t>(device->m_buffer_frames + Web_Output_Latency() * 44100.0 + 0.5);
        device->m_mix(reinterpret_cast<std::int16_t*>(stream), frames, now, latency, device->m_user);
    }

    namespace
    {
        // What the page's timer needs of a pacer; the class's own members
        // are those of the threaded one.
        struct Pacer_Timer
        {
            long interval = 0;
            std::uint64_t next_pull = 0;
            std::vector<std::int16_t> discard;
        };
        std::map<const Null_Device*, Pacer_Timer> s_timers;

        // Ticks a little faster than pulls fall due, so the position never
        // waits long for a pull.
        constexpr double Tick_Milliseconds = 4.0;
    }

    void Null_Device::Open(Audio_Mix* mix, void* user)
    {
        Close();
        m_mix = mix;
        m_user = user;
        m_quit = false;
        m_active = false;
        Pacer_Timer& timer = s_timers[this];
        timer.discard.assign(2 * Buffer_Frames, 0);
        timer.interval = emscripten_set_interval([](void* self) { static_cast<Null_Device*>(self)->Run(); },
                                                 Tick_Milliseconds, this);
    }

    void Null_Device::Close()
    {
        auto found = s_timers.find(this);
        if (found == s_timers.end())
            return;
        emscripten_clear_interval(found->second.interval);
        s_timers.erase(found);
        m_quit = true;
    }

    void Null_Device::Restart()
    {
        m_origin = Audio_Now();
        m_active = true;
        ++m_generation;
        s_timers[this].next_pull = 0;
    }

    void Null_Device::Pause(bool paused)
    {
        if (paused == !m_active)
            return;
        m_active = !paused;
        if (m_active)
            Restart();
    }

    // One tick: every pull due by now. Pull k is due at origin + (k - 1)
    // buffers and heard one buffer later, as on the native pacer.
    void Null_Device::Run()
    {
        auto found = s_timers.find(this);
        if (found == s_timers.end() || m_quit || !m_active)
            return;
        Pacer_Timer& timer = found->second;
        const std::uint64_t generation = m_generation;
        const double now = Audio_Now();
        for (;;)
        {
            double due = m_origin + (double(timer.next_pull) - 1.0) * double(Buffer_Frames) / 44100.0;
            if (due > now)
                break;
            ++timer.next_pull;
            m_mix(timer.discard.data(), Buffer_Frames, due, Buffer_Frames, m_user);
            // A sync procedure may have restarted or paused the pacer.
            if (generation != m_generation || !m_active)
                break;
        }
    }
}
