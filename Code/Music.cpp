#include "Code/Music.h"

#include "Lib/Assertion.h"
#include "Platform/Bass.h"

using namespace Ryx_Platform;

namespace Ryx_Vektu
{
    Music_Impl* s_music = nullptr;

    Music_Impl::Music_Impl(const char* file_name, void* hwnd, bool nosound)
    {
        RYX_ASSERT(s_music == 0);
        s_music = this;
        // The report's text is this expression as written, spaces and all.
        // clang-format off
        RYX_ASSERT(BASS_Init( nosound?-2:-1, 44100, 0, hwnd));
        // clang-format on
        BASS_SetVolume(100);
        BASS_Start();
        m_mod = BASS_MusicLoad(0, file_name, 0, 0, 1);
    }

    Music_Impl::~Music_Impl()
    {
        BASS_Stop();
        BASS_MusicFree(m_mod);
        BASS_Free();
        s_music = nullptr;
    }

    void Music_Impl::Play()
    {
        m_played = true;
        // The check of RYX_ASSERT(BASS_MusicPlay(m_mod)), written out so that
        // the result is kept.
        m_failed = BASS_MusicPlay(m_mod) == 0;
        if (m_failed)
            ::Ryx_Lib::Throw_Assertion("BASS_MusicPlay(m_mod)", nullptr, __FILE__, 0);
    }

    std::uint32_t Music_Impl::Stop() { return BASS_ChannelStop(m_mod); }

    std::uint32_t Music_Impl::Get_Order() { return BASS_ChannelGetPosition(m_mod) & 0xFFFF; }

    std::uint32_t Music_Impl::Get_Row() { return BASS_ChannelGetPosition(m_mod) >> 16; }

    float Music_Impl::Get_Time()
    {
        RYX_ASSERT(!"not implemented!");
        return 0.0f;
    }

    std::uint32_t Music_Impl::Set_Sync(void (*procedure)(std::uint32_t, std::uint32_t, std::uint32_t, void*))
    {
        return BASS_ChannelSetSync(m_mod, 0x40000000, 0xFFFFFFFF, procedure, 0);
    }

    std::uint32_t Music_Impl::Set_Pos(std::uint32_t order, std::uint32_t row)
    {
        return BASS_MusicPlayEx(m_mod, order | row << 16, 0, 1);
    }

    // One position read for both order and row: two reads could straddle a
    // row change and pair the old order with the new row.
    Song_Pos Music_Impl::Get_Pos()
    {
        std::uint32_t packed = BASS_ChannelGetPosition(m_mod);
        std::int32_t order = static_cast<std::int32_t>(packed & 0xFFFF);
        std::int32_t row = static_cast<std::int32_t>(packed >> 16) + 1;
        if (row >= 64)
        {
            row = 0;
            order = order + 1;
        }
        return Song_Pos(order, row);
    }

    // A module that never started has ended too: a show waiting on it
    // would wait for ever on a black screen.
    bool Music_Impl::Has_Ended() { return m_played && BASS_ChannelIsActive(m_mod) == 0; }

    bool Music_Impl::Has_Failed() { return m_failed; }

    Ryx_Lib::Single<Music> Create_Music(const char* file_name, void* hwnd, bool nosound)
    {
        return Ryx_Lib::Single<Music>(new Music_Impl(file_name, hwnd, nosound));
    }

    Music_Impl* Get_Music() { return s_music; }
}
