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

namespace Ryx_Platform
{
    using DWORD = std::uint32_t;
    using BOOL = int;
    using HMUSIC = DWORD;
    using HSYNC = DWORD;
    using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

    // Device -2: no sound, real-time pace. -1: the default sound card; when
    // none can be opened it returns 0 and plays as -2, so the show keeps time.
    BOOL BASS_Init(int device, DWORD frequency, DWORD flags, void* window);
    // 0 to 100; 100 plays the module at its own level.
    BOOL BASS_SetVolume(DWORD volume);
    BOOL BASS_Start();
    // 0 for a missing file or one that is not a module, with one stderr line
    // naming the file and the reason. memory != 0: file points at the bytes.
    HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags);
    BOOL BASS_MusicPlay(HMUSIC handle);
    BOOL BASS_ChannelStop(DWORD handle);
    // Order in bits 0 to 15, row in bits 16 to 31: the row being heard now.
    DWORD BASS_ChannelGetPosition(DWORD handle);
    // Type 0x40000000: the procedure runs on the audio thread at every order
    // or row change matching param (0xFFFF in a word matches any), with the
    // new packed position as data.
    HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, DWORD param, SYNCPROC* procedure, void* user);
    // Plays from position (order | row << 16).
    BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD position, int flags, BOOL reset);
    BOOL BASS_Stop();
    BOOL BASS_MusicFree(HMUSIC handle);
    BOOL BASS_Free();

    // 1 while the channel plays, 0 once it has stopped or played to its end.
    DWORD BASS_ChannelIsActive(DWORD handle);

    // What BASS_Init opened: SDL's name of the sound card's driver, or empty
    // when the music plays silently (no-sound device, offline, or none).
    std::string Audio_Output_Name();

    // Test hook: while set (a value of 0 or more), BASS_ChannelGetPosition
    // returns this packed position for any handle, and BASS_ChannelIsActive
    // says it plays. -1 removes it.
    void Audio_Script_Position(std::int64_t packed);

    // Test hook, set before BASS_Init: SDL's dummy audio driver counts as a
    // sound card, so that tests reach the card's path without sound hardware.
    void Audio_Dummy_Is_A_Card(bool on);

    // Offline (virtual-clock) mode, set before BASS_Init: no device is opened,
    // BASS_Init succeeds for any device, and time advances only by pulling.
    void Audio_Use_Offline(bool on);
    // Renders the next frames (interleaved stereo int16, 44100 Hz) of the
    // playing module, sample-exact, and advances the position to the row that
    // contains the next frame to be pulled. Silence before BASS_MusicPlay
    // (nothing advances) and after the end. Returns the frames of music.
    std::size_t Audio_Pull(std::int16_t* out, std::size_t frames);
    // Frames pulled (offline) or heard (live) since the last play.
    std::uint64_t Audio_Frames_Played();
}
