// The sections of the arrangement, each writing one order's pattern.
#pragma once
#include "Tools/Composer/Score_Parts.h"

namespace Ryx_Tools::Sections
{
    void Intro(Score_Parts::Writer& w, int order);                      // 0-3: pad, pulse, the hole, hats
    void Groove(Score_Parts::Writer& w, int order);                     // 4-7: two-step kick, bass, stabs and shots
    void Build(Score_Parts::Writer& w, int order);                      // 8-9: the roll and the sweep
    void Tunnel(Score_Parts::Writer& w, int order);                     // 10-21: the drop, the hook, the main groove
    void Warp(Score_Parts::Writer& w, int order, Synth::Noise& noise);  // 22-29: big hits, glitches, breaking apart
    void Drum_Break(Score_Parts::Writer& w, int order);                 // 30-31: drums and shots alone
    void Stutter(Score_Parts::Writer& w);                               // 32
    void Outro(Score_Parts::Writer& w, int order);                      // 33-35: the pad and a last echo
}
