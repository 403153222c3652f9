// Decoding in chunks that never cross a tick boundary. Rows change only at
// the start of a tick, and after a read libopenmpt reports the position of the
// last frame rendered; so each tick begins with a one-frame read whose
// position is that of the whole tick, and the log records every row change at
// its exact frame. A tick lasts floor(rate * 2.5 / tempo) frames.
#include "Platform/Audio_Player.h"

#include <algorithm>
#include <exception>
#include <map>
#include <sstream>

#include <libopenmpt/libopenmpt.hpp>

namespace Ryx_Platform
{
    namespace
    {
        constexpr std::size_t Chunk = 64;

        std::uint32_t Pack(std::int32_t order, std::int32_t row)
        {
            return (static_cast<std::uint32_t>(order) & 0xFFFF) | (static_cast<std::uint32_t>(row) & 0xFFFF) << 16;
        }
    }

    std::unique_ptr<Audio_Player> Audio_Player::Load(const void* data, std::size_t size, std::string* error)
    {
        std::ostringstream warnings;
        try
        {
            // No dither: the same module renders to the same bytes every time.
            std::map<std::string, std::string> ctls{{"play.at_end", "stop"}, {"dither", "0"}};
            auto module = std::make_unique<openmpt::module>(data, size, warnings, ctls);
            module->set_repeat_count(0);
            return std::unique_ptr<Audio_Player>(new Audio_Player(std::move(module)));
        }
        catch (const std::exception& e)
        {
            if (error)
                *error = e.what();
        }
        catch (...)
        {
            if (error)
                *error = "unknown decoder failure";
        }
        return nullptr;
    }

    Audio_Player::Audio_Player(std::unique_ptr<openmpt::module> module) : m_module(std::move(module))
    {
        m_log.reserve(4096);
        m_log.push_back({0, 0});
    }

    Audio_Player::~Audio_Player() = default;

    void Audio_Player::Start(int order, int row)
    {
        std::uint32_t packed = Pack(order, row);
        {
            std::lock_guard<std::mutex> render(m_render);
            if (m_started || order != 0 || row != 0)
                m_module->set_position_order_row(order, row);
            m_started = true;
            m_fifo_start = m_fifo_count = 0;
            m_decoded = 0;
            m_next_tick = 0;
            m_decoded_pos = packed;
            m_decode_ended = false;
        }
        std::lock_guard<std::mutex> lock(m_log_lock);
        m_log.clear();
        m_log.push_back({0, packed});
        m_end_frame = UINT64_MAX;
        m_playing = true;
        m_clock.Reset();
    }

    void Audio_Player::Stop()
    {
        std::lock_guard<std::mutex> lock(m_log_lock);
        m_playing = false;
    }

    void Audio_Player::Decode_Chunk(std::array<std::uint32_t, 64>& changes, std::size_t& change_count)
    {
        bool tick_start = m_decoded == m_next_tick;
        std::size_t want =
            tick_start ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, m_next_tick - m_decoded));
        std::size_t got = m_module->read_interleaved_stereo(Audio_Rate, want, m_fifo.data());
        m_fifo_start = 0;
        m_fifo_count = got;
        if (got < want)
        {
            // The end: the position libopenmpt reports now is the restart
            // position, not a row of the song, so the last row holds.
            m_decode_ended = true;
            m_decoded += got;
            std::lock_guard<std::mutex> lock(m_log_lock);
            m_end_frame = m_decoded;
            return;
        }
        std::uint32_t packed = Pack(m_module->get_current_order(), m_module->get_current_row());
        if (tick_start)
        {
            std::int32_t tempo = std::max<std::int32_t>(1, m_module->get_current_tempo());
            m_next_tick = m_decoded + std::max<std::int32_t>(1, Audio_Rate * 5 / 2 / tempo);
        }
        if (packed != m_decoded_pos)
        {
            m_decoded_pos = packed;
            std::lock_guard<std::mutex> lock(m_log_lock);
            m_log.push_back({m_decoded, packed});
            if (change_count < changes.size())
                changes[change_count++] = packed;
        }
        m_decoded += got;
    }

    std::size_t Audio_Player::Pull(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency)
    {
        std::array<std::uint32_t, 64> changes;
        std::size_t change_count = 0;
        std::size_t music = 0;
        {
            std::lock_guard<std::mutex> render(m_render);
            {
                std::lock_guard<std::mutex> lock(m_log_lock);
                if (!m_playing)
                {
                    std::fill(out, out + 2 * frames, std::int16_t(0));
                    return 0;
                }
            }
            std::size_t done = 0;
            while (done < frames)
            {
                if (m_fifo_count == 0)
                {
                    if (m_decode_ended)
                        break;
                    Decode_Chunk(changes, change_count);
                    continue;
                }
                std::size_t n = std::min(m_fifo_count, frames - done);
                std::copy_n(m_fifo.data() + 2 * m_fifo_start, 2 * n, out + 2 * done);
                m_fifo_start += n;
                m_fifo_count -= n;
                done += n;
            }
            music = done;
            std::fill(out + 2 * done, out + 2 * frames, std::int16_t(0));
            // One frame of look-ahead, so the log knows the row of the next
            // frame to be heard even when this pull ended on a row boundary.
            if (m_fifo_count == 0 && !m_decode_ended)
                Decode_Chunk(changes, change_count);

            std::lock_guard<std::mutex> lock(m_log_lock);
            m_clock.Note_Pull(now, frames, latency);
        }
        Fire_Syncs(changes, change_count);
        return music;
    }

    void Audio_Player::Fire_Syncs(const std::array<std::uint32_t, 64>& changes, std::size_t change_count)
    {
        if (change_count == 0)
            return;
        std::array<Sync, 16> syncs;
        std::size_t count = 0;
        {
            std::lock_guard<std::mutex> lock(m_log_lock);
            count = std::min(m_syncs.size(), syncs.size());
            std::copy_n(m_syncs.begin(), count, syncs.begin());
        }
        for (std::size_t c = 0; c < change_count; ++c)
            for (std::size_t s = 0; s < count; ++s)
            {
                std::uint32_t want_order = syncs[s].param & 0xFFFF, want_row = syncs[s].param >> 16;
                bool order_ok = want_order == 0xFFFF || want_order == (changes[c] & 0xFFFF);
                bool row_ok = want_row == 0xFFFF || want_row == (changes[c] >> 16);
                if (order_ok && row_ok)
                    syncs[s].procedure(syncs[s].id, syncs[s].handle, changes[c], syncs[s].user);
            }
    }

    std::uint64_t Audio_Player::Heard_Frame(double now)
    {
        std::lock_guard<std::mutex> lock(m_log_lock);
        return m_playing ? m_clock.Heard_Frame(now) : m_clock.Last_Heard();
    }

    std::uint64_t Audio_Player::Pulled_Frames()
    {
        std::lock_guard<std::mutex> lock(m_log_lock);
        return m_clock.Pulled_Frames();
    }

    std::uint32_t Audio_Player::Position_At(std::uint64_t frame)
    {
        std::lock_guard<std::mutex> lock(m_log_lock);
        auto after = std::upper_bound(m_log.begin(), m_log.end(), frame,
                                      [](std::uint64_t f, const Log_Entry& e) { return f < e.frame; });
        return after == m_log.begin() ? m_log.front().packed : (after - 1)->packed;
    }

    bool Audio_Player::Is_Active_At(std::uint64_t frame)
    {
        std::lock_guard<std::mutex> lock(m_log_lock);
        return m_playing && frame < m_end_frame;
    }

    std::uint32_t Audio_Player::Add_Sync(std::uint32_t param, Sync_Procedure* procedure, void* user,
                                         std::uint32_t handle)
    {
        if (!procedure)
            return 0;
        std::lock_guard<std::mutex> lock(m_log_lock);
        std::uint32_t id = m_next_sync++;
        m_syncs.push_back({id, handle, param, procedure, user});
        return id;
    }
}
