// The audio calls the show makes, under the names and with the arguments the
// design gives them, and the hooks through which tests and the capture tool
// drive the position without a sound device.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    using DWORD = std::uint32_t;
    using BOOL = int;
    using HMUSIC = DWORD;
    using HSYNC = DWORD;
    using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

    BOOL BASS_Init(int device, DWORD frequency, DWORD flags, void* window);
    BOOL BASS_SetVolume(DWORD volume);
    BOOL BASS_Start();
    HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags);
    BOOL BASS_MusicPlay(HMUSIC handle);
    BOOL BASS_ChannelStop(DWORD handle);
    // Order in bits 0 to 15, row in bits 16 to 31: the row being heard now.
    DWORD BASS_ChannelGetPosition(DWORD handle);
    HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, DWORD param, SYNCPROC* procedure, void* user);
    BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD position, int flags, BOOL reset);
    BOOL BASS_Stop();
    BOOL BASS_MusicFree(HMUSIC handle);
    BOOL BASS_Free();

    // 1 while the channel plays, 0 once it has stopped or played to its end.
    DWORD BASS_ChannelIsActive(DWORD handle);

    // Test hook: while set (a value of 0 or more), BASS_ChannelGetPosition
    // returns this packed position for any handle. -1 removes it.
    void Audio_Script_Position(std::int64_t packed);
}
