// One loaded module and its playback: the decoder, and the position log that
// says which order/row every decoded frame belongs to. Its heard clock, fed
// at every pull, says which frame is heard now. An output (the sound card,
// the no-sound clock, offline pulls, the test double) calls Pull from one
// thread; any other thread may ask for the position.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "Platform/Heard_Clock.h"

namespace openmpt
{
    class module;
}

namespace Ryx_Platform
{
    constexpr int Audio_Rate = 44100;

    using Sync_Procedure = void(std::uint32_t handle, std::uint32_t channel, std::uint32_t data, void* user);

    class Audio_Player
    {
    public:
        // Null (with the reason in *error) when the bytes are not a module.
        static std::unique_ptr<Audio_Player> Load(const void* data, std::size_t size, std::string* error);
        ~Audio_Player();
        Audio_Player(const Audio_Player&) = delete;
        Audio_Player& operator=(const Audio_Player&) = delete;

        // Starts from order/row with a fresh frame count and log.
        void Start(int order, int row);
        void Stop();

        // Decodes the next frames into out (stereo int16); after the end, or
        // when stopped, zeros. `now` is the device's time of this pull in
        // seconds (its own clock), `latency` the frames the device holds
        // before the first of these is heard. Returns the frames of music.
        std::size_t Pull(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency);

        // Frame index (since Start) being heard at `now` on the pulling
        // device's clock; never goes back, never beyond what was pulled.
        std::uint64_t Heard_Frame(double now);
        // Frames pulled since Start: the heard frame of an offline output.
        std::uint64_t Pulled_Frames();
        // order | row << 16 of the row containing this frame.
        std::uint32_t Position_At(std::uint64_t frame);
        bool Is_Active_At(std::uint64_t frame);

        // Calls the procedure on every row change that matches param (order
        // in the low word, row in the high word, 0xFFFF for any), from the
        // pulling thread, with the new order | row << 16 as data.
        std::uint32_t Add_Sync(std::uint32_t param, Sync_Procedure* procedure, void* user, std::uint32_t handle);

    private:
        explicit Audio_Player(std::unique_ptr<openmpt::module> module);
        void Decode_Chunk(std::array<std::uint32_t, 64>& changes, std::size_t& change_count);
        void Fire_Syncs(const std::array<std::uint32_t, 64>& changes, std::size_t change_count);

        // Decoder side, held by the pulling thread for a buffer's decode.
        std::mutex m_render;
        std::unique_ptr<openmpt::module> m_module;
        std::array<std::int16_t, 2 * 64> m_fifo{};
        std::size_t m_fifo_start = 0, m_fifo_count = 0;
        std::uint64_t m_decoded = 0;      // frames decoded since Start
        std::uint64_t m_next_tick = 0;    // frame where the next tick begins
        std::uint32_t m_decoded_pos = 0;  // position of the last decoded frame
        bool m_decode_ended = false;
        bool m_started = false;  // a fresh module needs no seek

        // Shared side: a lock held for a few instructions by either thread.
        struct Log_Entry
        {
            std::uint64_t frame;
            std::uint32_t packed;
        };
        struct Sync
        {
            std::uint32_t id;
            std::uint32_t handle;
            std::uint32_t param;
            Sync_Procedure* procedure;
            void* user;
        };
        std::mutex m_log_lock;
        std::vector<Log_Entry> m_log;
        std::vector<Sync> m_syncs;
        std::uint32_t m_next_sync = 1;
        std::uint64_t m_end_frame = UINT64_MAX;
        bool m_playing = false;
        Heard_Clock m_clock;  // counts the frames pulled since Start
    };
}
