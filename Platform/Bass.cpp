// Placeholder audio layer: no sound, position only from the test hook.
#include "Platform/Bass.h"

#include <atomic>
#include <cstdio>

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<std::int64_t> s_scripted{-1};
    }

    BOOL BASS_Init(int, DWORD, DWORD, void*) { return 1; }
    BOOL BASS_SetVolume(DWORD) { return 1; }
    BOOL BASS_Start() { return 1; }

    HMUSIC BASS_MusicLoad(BOOL, const void* file, DWORD, DWORD, DWORD)
    {
        std::FILE* f = std::fopen(static_cast<const char*>(file), "rb");
        if (!f)
            return 0;
        std::fclose(f);
        return 1;
    }

    BOOL BASS_MusicPlay(HMUSIC handle) { return handle != 0; }
    BOOL BASS_ChannelStop(DWORD handle) { return handle != 0; }

    DWORD BASS_ChannelGetPosition(DWORD)
    {
        std::int64_t scripted = s_scripted.load();
        return scripted >= 0 ? static_cast<DWORD>(scripted) : 0;
    }

    HSYNC BASS_ChannelSetSync(DWORD, DWORD, DWORD, SYNCPROC*, void*) { return 0; }
    BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD, int, BOOL) { return handle != 0; }
    BOOL BASS_Stop() { return 1; }
    BOOL BASS_MusicFree(HMUSIC) { return 1; }
    BOOL BASS_Free() { return 1; }
    DWORD BASS_ChannelIsActive(DWORD handle) { return handle != 0; }

    void Audio_Script_Position(std::int64_t packed) { s_scripted.store(packed); }
}
