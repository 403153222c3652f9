// The show's instruments, every one synthesised here: drums, basses, stab,
// pads, lead, shots, the build's sweep and the glitch kit.
#pragma once
#include <vector>

#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools
{
    // Instrument numbers as the patterns name them (1-based).
    enum Instrument_Number : std::uint8_t
    {
        Kick = 1,
        Snare,
        Clap,
        Hat_Closed,
        Hat_Open,
        Crash,
        Sweep,
        Bass_Bright,
        Bass_Dark,
        Stab,
        Pad,
        Shot_Ah,
        Shot_Oh,
        Pluck,
        Glitch,
        Big_Hit,
        Pad_Wide,  // the pad's other side: the same chord with its own detuning
        Lead,
        Instrument_Count = Lead
    };

    // Glitch kit: note Glitch_Base + i plays slice i at its own pitch.
    constexpr int Glitch_Slices = 6;
    constexpr std::uint8_t Glitch_Base = 49;

    std::vector<Xm_Instrument> Make_Instruments();
}
