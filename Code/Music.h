// The module, its playback, and its position: the show's clock of record.
#pragma once
#include <cstdint>
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    // A module position; Get_Pos returns the row after the one playing.
    class Song_Pos
    {
    public:
        Song_Pos(std::int32_t order_, std::int32_t row_) : order(order_), row(row_) {}
        virtual ~Song_Pos() = default;
        virtual std::int32_t Get_Row() const { return row; }

        std::int32_t order;
        std::int32_t row;
    };

    class Music
    {
    public:
        virtual ~Music() = default;
        virtual void Play() = 0;
        virtual std::uint32_t Stop() = 0;
        virtual std::uint32_t Get_Order() = 0;
        virtual std::uint32_t Get_Row() = 0;
        virtual float Get_Time() = 0;
        virtual std::uint32_t Set_Sync(void (*procedure)(std::uint32_t, std::uint32_t, std::uint32_t, void*)) = 0;
        virtual std::uint32_t Set_Pos(std::uint32_t order, std::uint32_t row) = 0;
        virtual Song_Pos Get_Pos() = 0;
        // True once the module has played to its end (it never loops), or
        // once Play has found nothing to play.
        virtual bool Has_Ended() = 0;
        // True when Play could not start the module (missing or unloadable).
        virtual bool Has_Failed() = 0;
    };

    class Music_Impl : public Music
    {
    public:
        Music_Impl(const char* file_name, void* hwnd, bool nosound);
        ~Music_Impl() override;
        void Play() override;
        std::uint32_t Stop() override;
        std::uint32_t Get_Order() override;
        std::uint32_t Get_Row() override;
        float Get_Time() override;
        std::uint32_t Set_Sync(void (*procedure)(std::uint32_t, std::uint32_t, std::uint32_t, void*)) override;
        std::uint32_t Set_Pos(std::uint32_t order, std::uint32_t row) override;
        Song_Pos Get_Pos() override;
        bool Has_Ended() override;
        bool Has_Failed() override;

    private:
        std::uint32_t m_mod = 0;
        bool m_played = false;
        bool m_failed = false;
    };

    // The live music; null before the first and after the last one.
    extern Music_Impl* s_music;

    Ryx_Lib::Single<Music> Create_Music(const char* file_name, void* hwnd, bool nosound);
    Music_Impl* Get_Music();
}
