// The two live outputs the audio layer pulls its mix through: the sound card
// (SDL; its dummy and disk drivers are no sound card) and the no-sound pacer, which pulls at real-time pace on the
// monotonic clock and throws the sound away. Both call one mix function from
// a thread of their own with the time of the pull.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace Ryx_Platform
{
    // out: frames of interleaved stereo int16; now: seconds on Audio_Now's
    // clock when these frames were asked for; latency: frames the device
    // plays before the first of these is heard.
    using Audio_Mix = void(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency, void* user);

    // Seconds on the monotonic clock.
    double Audio_Now();

    class Sdl_Device
    {
    public:
        ~Sdl_Device() { Close(); }
        // False (with the reason) when no device can be opened, or only
        // SDL's dummy or disk driver, unless dummy_is_a_card.
        bool Open(Audio_Mix* mix, void* user, std::string* error, bool dummy_is_a_card = false);
        void Close();
        void Pause(bool paused);
        bool Is_Open() const { return m_device != 0; }
        // SDL's name of the driver it plays through ("pulseaudio", "alsa").
        const std::string& Driver_Name() const { return m_driver; }
        std::uint32_t Buffer_Frames() const { return m_buffer_frames; }

    private:
        static void Callback(void* self, std::uint8_t* stream, int length);
        std::uint32_t m_device = 0;
        std::uint32_t m_buffer_frames = 0;
        std::string m_driver;
        Audio_Mix* m_mix = nullptr;
        void* m_user = nullptr;
    };

    class Null_Device
    {
    public:
        static constexpr std::size_t Buffer_Frames = 256;  // 5.8 ms a pull

        ~Null_Device() { Close(); }
        void Open(Audio_Mix* mix, void* user);
        void Close();
        // Starts pulling now, on a schedule counted from this instant, so the
        // music never drifts from the monotonic clock.
        void Restart();
        void Pause(bool paused);

    private:
        void Run();
        std::thread m_thread;
        std::mutex m_lock;
        std::condition_variable m_wake;
        bool m_quit = false;
        bool m_active = false;
        std::uint64_t m_generation = 0;
        double m_origin = 0;
        Audio_Mix* m_mix = nullptr;
        void* m_user = nullptr;
    };
}
