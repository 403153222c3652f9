// The score of "tekno.xm": A minor throughout, one chord a bar (16 rows).
// The sections (Sections.h) write one order each; volumes come from the mix
// table in Score_Parts.h, so that the balance is set in one place.
#include "Tools/Composer/Score.h"

#include "Tools/Composer/Sections.h"

namespace Ryx_Tools
{
    using namespace Score_Parts;

    Xm_Module Compose()
    {
        Xm_Module m;
        m.name = "tekno";
        m.channels = Channel_Count;
        m.speed = Song_Speed;
        m.tempo = Song_Tempo;
        m.instruments = Make_Instruments();
        Synth::Noise noise(0x7E4B0);
        for (int order = 0; order < Song_Orders; ++order)
        {
            m.patterns.emplace_back(Song_Rows, Channel_Count);
            Writer w{m.patterns.back()};
            if (order <= 3)
                Sections::Intro(w, order);
            else if (order <= 7)
                Sections::Groove(w, order);
            else if (order <= 9)
                Sections::Build(w, order);
            else if (order <= 21)
                Sections::Tunnel(w, order);
            else if (order <= 29)
                Sections::Warp(w, order, noise);
            else if (order <= 31)
                Sections::Drum_Break(w, order);
            else if (order == 32)
                Sections::Stutter(w);
            else if (order <= 35)
                Sections::Outro(w, order);
            Double(m.patterns.back());
            m.orders.push_back(std::uint8_t(order));
        }
        return m;
    }
}
