// The darker half (orders 22-29): new chords and big hits, the glitch
// section, the hook's dark return at order 26, then the breaking-apart.
// The clap on rows 3 mod 8 runs through it all; the snare keeps the backbeat.
#include "Tools/Composer/Hook.h"
#include "Tools/Composer/Sections.h"

#include <vector>

namespace Ryx_Tools::Sections
{
    using namespace Score_Parts;

    namespace
    {
        void Big_Hits(Writer& w, int order)
        {
            const Progression& prog = order == 22 ? Turn : Dark;
            const int pad = order == 22 ? 34 : 30;
            Pad_Chords(w, prog, 0, {pad, pad, pad, pad}, order == 22 ? 0 : -1, false, order == 23);
            Kicks(w, 0, 64, {0});
            Hats(w, 0, 64, 2, Level::Hat * 2 / 3, 0, order, true);
            for (int bar = 0; bar < 4; ++bar)
            {
                w.Note(bar * 16, Ch_Bass, prog[std::size_t(bar)]->bass, Bass_Dark, Level::Dark);
                w.Duck(bar * 16, Level::Dark);
                w.Off(bar * 16 + 12, Ch_Bass);
            }
            for (int r = 6; r < 64; r += 16)
                w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open * 3 / 4);
            // Big hits: Dm in the third bar, Em in the fourth.
            const std::vector<int> hits = order == 22 ? std::vector<int>{36, 45, 54} : std::vector<int>{36, 44};
            for (int r : hits)
                w.Off(r - 2, Ch_Bass);  // the bass leaves room just before each hit
            // The hits take the backbeat's place on rows 36 and 44.
            for (int r : {36, 44})
                w.p.At(r, Ch_Snare) = {};
            for (int r : hits)
            {
                w.Note(r, Ch_Stab, r < 48 ? N(D, 3) : N(E, 3), Big_Hit, Level::Hit);
                w.Note(r, Ch_Fx, Drum, Crash, Level::Crash);
                // The pad ducks out over the row before a hit and returns with it.
                for (int ch : Pad_Channels)
                {
                    w.p.At(r - 1, ch).volume = 0x68;
                    w.Volume(r, ch, pad);
                }
            }
            if (order == 22)
                w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
            if (order == 23)
            {
                for (int r = 60; r < 64; ++r)
                    w.Note(r, Ch_Snare, Drum, Snare, 42 + 7 * (r - 60), Fx_Extended,
                           0xC3);  // short hits: each one heard
                // The pluck remembers the hook between the hits.
                for (int r : {0, 3, 6, 10, 12})
                    w.Note(16 + r, Ch_Pulse,
                           std::array<std::uint8_t, 5>{N(F, 5), N(E, 5), N(C, 5), N(E, 5),
                                                       N(F, 5)}[std::size_t(r / 3 % 5)],
                           Pluck, Level::Pluck * 2 / 3, Fx_Panning, 0xB8);
            }
        }

        void Glitch_Section(Writer& w, int order, Synth::Noise& noise)
        {
            Glitches(w, 0, 64, noise, 100, Level::Glitch * 4 / 5);
            if (order == 24)
                Pad_Chords(w, Dark, 0, {28, 28, 28, 28}, -1, false, true);
            Kicks(w, 0, 64, {0, 10});
            for (int r = 0; r < 64; ++r)
                if (r % 16 == 0 || r % 16 == 10)
                    w.Note(r, Ch_Bass, Bar(Dark, r).bass, Bass_Dark, Level::Dark, Fx_Extended, 0xC4);
            if (order == 25)
            {
                Pad_Chords(w, Dark, 0, {28, 28, 30, 32}, -1);
                Hats(w, 32, 64, 2, Level::Hat / 2, 0, order, true);
            }
        }
    }

    void Warp(Writer& w, int order, Synth::Noise& noise)
    {
        // The pulse on rows 3 mod 8 runs through the whole section, the snare
        // answering it on beats two and four.
        for (int r = 3; r < 64; r += 8)
        {
            w.Note(r, Ch_Clap, Drum, Clap, Level::Clap + 8);
            w.Note(r + 1, Ch_Snare, Drum, Snare, Level::Snare);
        }
        if (order <= 23)
            return Big_Hits(w, order);
        if (order <= 25)
            return Glitch_Section(w, order, noise);

        // From order 26: harder, and from 28 breaking apart.
        const bool breaking = order >= 28;
        const int row_of_decay = (order - 28) * 64;  // 0..127 across orders 28-29
        Kicks(w, 0, 64, {0, 10});
        Bass_Moving(w, Dark, 0, 64, Bass_Bright, Level::Reese, order);
        Hats(w, 0, 64, 1, Level::Hat, 16, order, true);
        Pad_Chords(w, Dark, 0, {Level::Pad, Level::Pad, Level::Pad, Level::Pad}, 0, false, order != 26, true);
        for (int r : {22, 54})
            w.Note(r, Ch_Stab, Bar(Dark, r).stab, Stab, Level::Stab);
        if (order == 26)
        {
            w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
            w.Note(0, Ch_Stab, Am.stab, Big_Hit, Level::Hit);
            Write_Hook(w, Hook::Dark, Level::Lead, Level::Lead_Echo, 0, 64, -12);
        }
        // The hook returns an octave down: heavier, and clear of the claps' range.
        if (order == 27)
            Write_Hook(w, Hook::Dark_Answer, Level::Lead, Level::Lead_Echo, 0, 64, -12);
        if (order == 28)
            Write_Hook(w, Hook::Dark, Level::Lead * 2 / 3, Level::Lead_Echo, 0, 32, -12);
        if (!breaking)
            return;
        Glitches(w, 0, 64, noise, 15 + (row_of_decay + 63) / 3, Level::Glitch);
        for (int r = 0; r < 64; ++r)
        {
            const int decay = row_of_decay + r;  // grows through both orders
            const double chance = decay / 160.0;
            // Rows drop out, notes are cut short and retriggered.
            if ((noise.Next() + 1) * 0.5 < chance && r % 8 != 3)
                w.Silence(r, {Ch_Hat, Ch_Open});
            if (w.p.At(r, Ch_Bass).note && w.p.At(r, Ch_Bass).note != Key_Off && (noise.Next() + 1) * 0.5 < chance)
                w.Effect(r, Ch_Bass, Fx_Extended, std::uint8_t(0xC1 + int(noise.Next() + 1)));
            if (w.p.At(r, Ch_Kick).note && (noise.Next() + 1) * 0.5 < chance * 0.7)
                w.Effect(r, Ch_Kick, Fx_Extended, 0x92);
            const int sagging = Pad_Channels[std::size_t(r % 6)];
            if (order == 29 && r >= 32 && !w.p.At(r, sagging).effect)
                w.Effect(r, sagging, Fx_Extended, 0x22);  // fine slide down: the pad goes out of tune
        }
        if (order == 29)
        {
            // The last bar falls apart: only stutters, the pulse and its answer remain.
            for (int r = 52; r < 64; ++r)
            {
                w.Silence(r, {Ch_Kick, Ch_Bass, Ch_Hat, Ch_Open, Ch_Stab});
                w.Silence_Pads(r);
            }
            for (int r = 52; r < 64; ++r)
                if (r % 8 != 2 && r % 8 != 3 && r % 8 != 4)
                    w.Note(r, Ch_Glitch, std::uint8_t(Glitch_Base + r % Glitch_Slices), Glitch,
                           Level::Glitch - (r - 52) * 2, Fx_Extended, std::uint8_t(0x91 + (r % 3)));
        }
    }
}
