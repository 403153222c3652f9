// Test hooks of the audio layer. In the test library only.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    // While set (a value of 0 or more), BASS_ChannelGetPosition returns this
    // packed position for any handle, and BASS_ChannelIsActive says it plays.
    // -1 removes it.
    void Audio_Script_Position(std::int64_t packed);

    // Set before BASS_Init: SDL's dummy audio driver counts as a sound card,
    // so that tests reach the card's path without sound hardware. Off
    // restores the default card.
    void Audio_Dummy_Is_A_Card(bool on);
}
