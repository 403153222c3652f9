// The one sample rate of the show's sound, in frames a second. The sound card
// and the no-sound clock play at it and the offline pulls render at it,
// whatever rate BASS_Init is given (Code/Music.cpp writes the design's call
// as it stands); the capture encodes at it, the music's checks analyse at it,
// and the composer makes the module's samples at it.
#pragma once

namespace Ryx_Platform
{
    constexpr int Audio_Rate = 44100;
}
