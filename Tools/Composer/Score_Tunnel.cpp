// The main groove (orders 10-21): the drop and the hook at order 10, its
// answer, order 12's breakdown on new chords, the hook's return at order 14,
// then the darker chords from order 18 as the drums thin out.
#include "Tools/Composer/Hook.h"
#include "Tools/Composer/Sections.h"

namespace Ryx_Tools::Sections
{
    using namespace Score_Parts;

    namespace
    {
        const Progression& Chords(int order) { return order == 12 ? Lift : order >= 18 ? Dark : Main; }

        // A counter-line for the orders where the lead rests: chord tones on
        // rows 2, 7 and 12 of each bar, a different walk through them each order.
        void Counter_Line(Writer& w, int order)
        {
            const Progression& prog = Chords(order);
            for (int r = 0; r < 64; ++r)
                if (r % 16 == 2 || r % 16 == 7 || r % 16 == 12)
                    w.Note(r, Ch_Pulse, Bar(prog, r).arp[std::size_t((r / 5 + order) % 4)], Pluck, Level::Pluck / 2,
                           Fx_Panning, r % 2 ? 0xA8 : 0x58);
        }

        void Lead_Part(Writer& w, int order)
        {
            switch (order)
            {
            case 10: Write_Hook(w, Hook::Statement, Level::Lead, Level::Lead_Echo); break;
            case 11: Write_Hook(w, Hook::Answer, Level::Lead, Level::Lead_Echo); break;
            case 13: Write_Hook(w, Hook::Statement, Level::Lead * 3 / 4, Level::Lead_Echo, 0, 32); break;
            case 14: Write_Hook(w, Hook::Return, Level::Lead, Level::Lead_Echo); break;
            case 15: Write_Hook(w, Hook::Return_Answer, Level::Lead, Level::Lead_Echo); break;
            case 17: Write_Hook(w, Hook::Answer, Level::Lead * 3 / 4, Level::Lead_Echo, 32, 64); break;
            case 18: Write_Hook(w, Hook::Dark, Level::Lead * 3 / 4, Level::Lead_Echo, 0, 16); break;
            case 19: Write_Hook(w, Hook::Dark, Level::Lead * 3 / 4, Level::Lead_Echo, 32, 48); break;
            case 21: Write_Hook(w, Hook::Dark_Answer, Level::Lead * 2 / 3, Level::Lead_Echo, 48, 64); break;
            default: break;
            }
            if (order == 12 || order == 16 || order == 20)
                Counter_Line(w, order);
        }
    }

    void Tunnel(Writer& w, int order)
    {
        const Progression& prog = Chords(order);
        const int from = order == 12 ? 27 : 0;  // order 12 opens with a breakdown
        const bool fill = order == 11 || order == 13;

        if (order == 12)
        {
            Pad_Chords(w, Lift, 0, {30, 30, 30, 30}, 0, false, true);
            for (int ch : Pad_Channels)  // from the drums' return the pad pumps with them
            {
                w.Duck(32, 30, ch);
                w.Duck(42, 30, ch);
                w.Duck(48, 30, ch);
                w.Duck(58, 30, ch);
            }
            for (int bar = 0; bar < 2; ++bar)
                w.Note(bar * 16, Ch_Bass, Lift[std::size_t(bar)]->bass, Bass_Dark, Level::Dark);
            w.Note(27, Ch_Fx, Drum, Crash, Level::Crash);
            Bass_Follow(w, Lift, 27, 64, Bass_Bright, Level::Reese, {0, 10});
        }
        else
        {
            const int pad = order >= 20 ? Level::Pad * 2 / 3 : order == 10 || order == 11 ? Level::Pad + 3 : Level::Pad;
            Pad_Chords(w, prog, 0, {pad, pad, pad, pad}, 0, false, order != 10, true);
        }

        // Drums: the two-step kick, the pickup into the backbeat (from order 14
        // doubled by a clap), the accents of rows 22 mod 32.
        Kicks(w, from, fill ? 49 : 64, {0, 10});
        if (order == 15 || order == 17)  // a ghost note turns the phrase over (kicks stay on the cue rows)
            w.Note(62, Ch_Snare, Drum, Snare, 20);
        Backbeat(w, from, 64, order >= 14 && order < 20);
        for (int r : {22, 54})
            if (r >= from)
            {
                w.Note(r, Ch_Stab, Bar(prog, r).stab, Stab, Level::Stab - 12);
                w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open + 6);
                w.Note(r, Ch_Clap, Drum, Clap, Level::Clap - 4);
            }
        if (fill)
        {
            Fill(w);
            w.p.At(52, Ch_Snare) = {};  // the fill takes the backbeat's place
            w.p.At(52, Ch_Clap) = {};
            w.Volume(54, Ch_Clap, Level::Clap + 8);  // its accent claps out over it
        }

        // Hats: sixteenths, thinning out from order 18.
        const int hat_step = order < 18 ? 1 : order == 18 ? 2 : order == 19 ? 4 : 0;
        if (hat_step)
            Hats(w, from, fill ? 48 : 64, hat_step, Level::Hat, 16, order, true);
        else
            for (int r = 14; r < 64; r += 16)
                w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open);

        if (order == 10 || order == 11 || order == 13)
            Bass_Follow(w, Main, 0, 64, Bass_Bright, Level::Reese, {0, 10});
        else if (order >= 14 && order < 19)
            Bass_Moving(w, prog, 0, 64, Bass_Bright, Level::Reese, order);
        else if (order >= 19)
            Bass_Moving(w, prog, 0, 64, Bass_Dark, Level::Dark, order);

        Lead_Part(w, order);
        if (order == 10 || order == 14 || order == 18)
            w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
        if (order == 21)
            w.Note(48, Ch_Fx, N(C, 4), Sweep, Level::Sweep * 2 / 3);
    }
}
