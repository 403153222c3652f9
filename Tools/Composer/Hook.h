// The hook: a four-bar lead motif built on one rhythmic cell (dotted eighths,
// then an eighth and a quarter: rows 0 3 6 10 12 of a bar) that climbs a step
// each bar and falls back in the fourth. It enters at the drop, is answered,
// returns varied, turns dark over i-VI-iv-v, and is remembered in fragments.
#pragma once
#include "Tools/Composer/Score_Parts.h"

namespace Ryx_Tools
{
    enum class Hook
    {
        Statement,      // over Am F C G, falling back to B at the end
        Answer,         // an octave-high answer that comes home to A
        Return,         // the statement with passing notes, its ending rising to A5
        Return_Answer,  // the answer climbing to C6 over F
        Dark,           // over Am F Dm Em (played an octave down at the hard return)
        Dark_Answer,
    };

    // Writes rows [from, to) of the phrase on the lead channel, with key-offs,
    // and its echo three rows later on the echo channel at `echo_vol`;
    // `shift` transposes it (semitones).
    void Write_Hook(Score_Parts::Writer& w, Hook hook, int vol, int echo_vol, int from = 0, int to = 64, int shift = 0);
}
