// The raw sounds behind the instruments, as signals at 44 100 Hz; the
// instruments (Instruments.cpp) cut, tune and loop them.
#pragma once
#include "Tools/Composer/Synth.h"

namespace Ryx_Tools::Sounds
{
    using Synth::Signal;

    // Drums (Drums.cpp): played at their own rate on C-4.
    Signal Kick();   // a sine falling to A1 (55 Hz) with a beater click
    Signal Snare();  // a two-mode shell tone under a 2-5 kHz crack and a noise tail
    Signal Clap();
    Signal Hat(double seconds, double tau, std::uint32_t seed);
    Signal Crash();
    Signal Sweep();  // six bars of rising band-passed noise at C-3

    // Tones (Tones.cpp), each recorded at the pitch named.
    Signal Reese(double detune_hz);                                  // 2 s loop at A2 (110 Hz)
    Signal Dark_Bass();                                              // 0.1 s loop at A2
    Signal Stab(double seconds, double octave, std::uint32_t seed);  // A minor chord, root A3
    Signal Pad(std::uint32_t seed, double spread_hz);                // 2 s loop at A3 (220 Hz)
    Signal Lead();                                                   // 1 s loop at A4 (440 Hz)
    Signal Pluck();                                                  // A4
    Signal Vocal(double f0, double f_end, double f1, double f2, double seconds, std::uint32_t seed);
}
