#include "Tools/Capture/Show_Span.h"

#include <algorithm>
#include <cstdio>
#include "Platform/Bass.h"
#include "Tools/Capture/Frame_Clock.h"

namespace Ryx_Capture
{
    namespace
    {
        bool Ended(Ryx_Platform::HMUSIC music, Ryx_Platform::DWORD position)
        {
            return (position & 0xFFFF) == Show_Orders || Ryx_Platform::BASS_ChannelIsActive(music) == 0;
        }
    }

    long Show_Span::Frame_At(int order, int row) const
    {
        for (std::size_t n = 0; n < positions.size(); ++n)
        {
            int o = int(positions[n] & 0xFFFF), r = int(positions[n] >> 16);
            if (o > order || (o == order && r >= row))
                return long(n);
        }
        return -1;
    }

    std::string Show_Span::Describe() const
    {
        char text[96];
        std::snprintf(text, sizeof text, "the show is %.2f s: orders 0 to %d", seconds, last_order);
        return text;
    }

    bool Measure_Show(const char* module, int fps, Show_Span& span, std::string& error)
    {
        using namespace Ryx_Platform;
        span = Show_Span();
        BASS_Init(-2, DWORD(Audio_Rate), 0, nullptr);
        HMUSIC music = BASS_MusicLoad(0, module, 0, 0, 0);
        bool ok = music != 0 && BASS_MusicPlay(music);
        if (!ok)
            error = std::string("cannot play ") + module;
        // Pulled in the decoder's chunks of 64 frames, one frame at a time
        // through a pattern's last row, where the next order may start: the
        // show's end is found to the sample.
        std::int16_t sound[64 * 2];
        std::uint64_t pulled = 0, end = 0;
        for (std::uint64_t n = 0; ok; ++n)
        {
            // Frame n is drawn once n / fps seconds of sound have played.
            DWORD position = BASS_ChannelGetPosition(music);
            for (std::uint64_t at = Frame_Sample(n, fps); pulled < at && end == 0;)
            {
                std::uint64_t step = (position >> 16) == 63 ? 1 : 64;
                std::size_t count = std::size_t(std::min<std::uint64_t>(step, at - pulled));
                std::size_t music_frames = Audio_Pull(sound, count);
                position = BASS_ChannelGetPosition(music);
                if (Ended(music, position))
                    end = pulled + (music_frames < count ? music_frames : count);
                pulled += count;
            }
            if (end != 0 || Ended(music, position))
                break;
            span.positions.push_back(position);
            span.last_order = std::max(span.last_order, int(position & 0xFFFF));
            if (n > 1800 * std::uint64_t(fps))
                ok = false, error = "the show does not end within 30 minutes";
        }
        if (ok)
        {
            span.complete = (BASS_ChannelGetPosition(music) & 0xFFFF) == Show_Orders;
            span.seconds = double(end ? end : pulled) / double(Audio_Rate);
        }
        if (music)
            BASS_MusicFree(music);
        BASS_Free();
        return ok;
    }
}
