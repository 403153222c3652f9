// The score of "tekno.xm": 37 orders of one 64-row pattern each, speed 6,
// tempo 171, the arrangement landing on the show's cue rows.
#pragma once
#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools
{
    constexpr int Song_Orders = 37;  // order 36 is the silent tail where the show ends
    constexpr int Song_Rows = 64;
    constexpr int Song_Speed = 6;
    constexpr int Song_Tempo = 171;

    // Instruments and patterns together: the whole module, ready to encode.
    Xm_Module Compose();
}
