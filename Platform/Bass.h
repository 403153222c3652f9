// The audio calls the show makes, under the names and with the arguments the
// design gives them, and the hooks through which tests and the capture tool
// drive the position without a sound device.
//
// A module is decoded by libopenmpt and played once (no loop). The position
// reported is the row being heard: on the sound card, the frame leaving the
// device at the moment of the call; on the no-sound device (-2), the frame the
// module would be at after the elapsed time since play; offline, the next
// frame to be pulled. After the end the last row holds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    using DWORD = std::uint32_t;
    using BOOL = int;
    using HMUSIC = DWORD;
    using HSYNC = DWORD;
    using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

    // Device -2: no sound, real-time pace. -1: the default sound card; when
    // none can be opened it returns 0 and plays as -2, so the show keeps time.
    RYX_PLATFORM_API BOOL BASS_Init(int device, DWORD frequency, DWORD flags, void* window);
    // 0 to 100; 100 plays the module at its own level.
    RYX_PLATFORM_API BOOL BASS_SetVolume(DWORD volume);
    RYX_PLATFORM_API BOOL BASS_Start();
    // 0 for a missing file or one that is not a module, with one stderr line
    // naming the file and the reason. memory != 0: file points at the bytes.
    RYX_PLATFORM_API HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags);
    RYX_PLATFORM_API BOOL BASS_MusicPlay(HMUSIC handle);
    RYX_PLATFORM_API BOOL BASS_ChannelStop(DWORD handle);
    // Order in bits 0 to 15, row in bits 16 to 31: the row being heard now.
    RYX_PLATFORM_API DWORD BASS_ChannelGetPosition(DWORD handle);
    // Type 0x40000000: the procedure runs on the audio thread at every order
    // or row change matching param (0xFFFF in a word matches any), with the
    // new packed position as data.
    RYX_PLATFORM_API HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, DWORD param, SYNCPROC* procedure, void* user);
    // Plays from position (order | row << 16).
    RYX_PLATFORM_API BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD position, int flags, BOOL reset);
    RYX_PLATFORM_API BOOL BASS_Stop();
    RYX_PLATFORM_API BOOL BASS_MusicFree(HMUSIC handle);
    RYX_PLATFORM_API BOOL BASS_Free();

    // 1 while the channel plays, 0 once it has stopped or played to its end.
    RYX_PLATFORM_API DWORD BASS_ChannelIsActive(DWORD handle);

    // What BASS_Init opened: SDL's name of the sound card's driver, or empty
    // when the music plays silently (no-sound device, offline, or none).
    RYX_PLATFORM_API std::string Audio_Output_Name();

    // Offline (virtual-clock) mode, set before BASS_Init: no device is opened,
    // BASS_Init succeeds for any device, and time advances only by pulling.
    RYX_PLATFORM_API void Audio_Use_Offline(bool on);
    // Renders the next frames (interleaved stereo int16 at Audio_Rate) of the
    // playing module, sample-exact, and advances the position to the row that
    // contains the next frame to be pulled. Silence before BASS_MusicPlay
    // (nothing advances) and after the end. Returns the frames of music.
    RYX_PLATFORM_API std::size_t Audio_Pull(std::int16_t* out, std::size_t frames);
    // Frames pulled (offline) or heard (live) since the last play.
    RYX_PLATFORM_API std::uint64_t Audio_Frames_Played();
    // Internal, for measuring the heard position against what an output
    // really plays: frames of the current play handed to the output so far,
    // and the position (order | row << 16) of one of its frames.
    std::uint64_t Audio_Frames_Pulled();
    std::uint32_t Audio_Position_At(std::uint64_t frame);
}
