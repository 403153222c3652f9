// The arrangement of "tekno.xm", section by section. A minor throughout; one
// chord a bar (16 rows). The groove sections use i-VI-III-VII (Am F C G), the
// darker ones i-VI-iv-v (Am F Dm Em). Volumes come from the mix table in
// Score_Parts.h, so that the balance is set in one place.
#include "Tools/Composer/Score.h"

#include <vector>

#include "Tools/Composer/Score_Parts.h"

namespace Ryx_Tools
{
    using namespace Score_Parts;

    namespace
    {
        void Intro(Writer& w, int order)
        {
            if (order == 0)
            {
                Pad_Chords(w, Main, 0, {18, 24, 30, 34});
                Arp(w, Main, 0, 64, 4, Level::Pluck);
            }
            if (order == 1)
            {
                Pad_Chords(w, Main, 0, {36, 36, 36, 36}, 0, false, true);
                Arp(w, Main, 0, 64, 2, Level::Pluck);
                for (int r = 2; r < 64; r += 4)
                    w.Note(r, Ch_Hat, Drum, Hat_Closed, 6 + r / 4);
            }
            if (order == 2)
            {
                // A breath: the pulse on rows 0 and 2, everything fades in row 2 and is
                // silent from row 3 to row 11.
                Arp(w, Main, 0, 3, 2, Level::Pluck);
                for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                    w.p.At(2, ch).volume = 0x6C;  // slide down over the row
                w.Silence(3, {Ch_Pad1, Ch_Pad2, Ch_Pad3, Ch_Pulse, Ch_Hat});
                // Back in a new colour: open voicing, hats, claps every eight rows.
                Pad_Chords(w, Main, 0, {0, 34, 34, 36}, 0, true);
                for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                    w.p.At(0, ch) = {};  // the order-1 chord carries on into rows 0-2
                for (int v = 0; v < 3; ++v)
                    w.Note(12, Ch_Pad1 + v, std::uint8_t(Am.pad[std::size_t(v)] + (v == 1 ? 12 : 0)), Pad, 34,
                           Fx_Panning, std::uint8_t(0x50 + 0x30 * v));
                Arp(w, Main, 12, 64, 2, Level::Pluck, 12);
            }
            if (order == 3)
            {
                Pad_Chords(w, Main, 0, {36, 34, 32, 28}, 0, true, true);
                Arp(w, Main, 0, 61, 2, Level::Pluck, 12);
                // The pad draws back over the last rows so that the groove lands.
                for (int r = 60; r < 64; ++r)
                    for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                        w.p.At(r, ch).volume = 0x64;  // slide down 4 a tick
            }
            if (order >= 2)
            {
                const int from = order == 2 ? 12 : 0;
                Hats(w, from, 64, 2, Level::Hat, 8);
                for (int r = from; r < 64; ++r)
                    if (r % 8 == 4)
                        w.Note(r, Ch_Clap, Drum, Clap, Level::Clap * (order == 2 ? 3 : 4) / 4);
                if (order == 3)
                    for (int r : {56, 58, 60})
                        w.Note(r, Ch_Snare, Drum, Snare, 30 + (r - 56) * 4);
                if (order == 2)
                    w.Note(12, Ch_Fx, Drum, Crash, Level::Crash * 2 / 3);
            }
        }

        void Groove(Writer& w, int order)
        {
            const int end = order == 7 ? 59 : 64;
            Kicks(w, 0, end, {0, 10});
            for (int r = 0; r < end; ++r)
                if (r % 16 == 4 || r % 16 == 12)
                    w.Note(r, Ch_Snare, Drum, Snare, Level::Snare * 4 / 5);
            Hats(w, 0, end, 2, Level::Hat, 16);
            Bass_Follow(w, Main, 0, end, Bass_Bright, Level::Reese, {0, 10});
            Pad_Chords(w, Main, 0, {22, 22, 22, 22}, 0, false, true);
            w.Note(1, Ch_Fx, N(C, 3), Sweep, Level::Sweep * 2 / 3);
            // The answers: stab on the bar, a shot on the "and" of beat three.
            const int last = order == 7 ? 10 : 58;
            for (int r = 0; r <= last; ++r)
            {
                if (r % 16 == 0)
                    w.Note(r, Ch_Stab, Bar(Main, r).stab, Stab, Level::Stab + 8);
                if (r % 16 == 10)
                    w.Note(r, Ch_Shot, N(G, 3), Shot_Ah, Level::Shot * 4 / 5);
            }
            if (order == 4)
                w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
            if (order == 7)
            {
                // The section stops on row 58.
                w.Note(58, Ch_Stab, Am.stab, Big_Hit, Level::Hit * 3 / 4);
                w.Note(58, Ch_Fx, Drum, Crash, Level::Crash);
                for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3, Ch_Bass})
                    w.Off(58, ch);
            }
        }

        void Build(Writer& w, int order)
        {
            w.Note(0, Ch_Fx, N(C, 3), Sweep, Level::Sweep);
            Pad_Chords(w, Main, 0, order == 8 ? std::array<int, 4>{24, 28, 32, 36} : std::array<int, 4>{38, 40, 42, 44}, 0,
                       false, order == 9);
            for (int bar = 0; bar < 4; ++bar)
                w.Note(bar * 16, Ch_Bass, Main[std::size_t(bar)]->bass, Bass_Dark, Level::Dark * 3 / 4);
            if (order == 8)
            {
                Kicks(w, 0, 64, {0});
                for (int r = 0; r < 64; r += r < 32 ? 4 : 2)
                    w.Note(r, Ch_Snare, Drum, Snare, 22 + r / 3);
                Arp(w, Main, 0, 64, 2, Level::Pluck * 3 / 4);
                Hats(w, 32, 64, 2, Level::Hat * 2 / 3);
            }
            else
            {
                Kicks(w, 0, 60, {0, 4, 8, 12});
                for (int r = 0; r < 60; ++r)
                {
                    w.Note(r, Ch_Snare, Drum, Snare, 38 + r / 4);
                    if (r >= 32)
                        w.Effect(r, Ch_Snare, Fx_Extended, 0x93);  // two hits a row
                }
                Arp(w, Main, 0, 60, 1, Level::Pluck * 3 / 4, 12);
                Hats(w, 0, 60, 1, Level::Hat * 2 / 3);
                // A breath before the drop.
                w.Silence(60, {Ch_Snare, Ch_Hat, Ch_Pulse, Ch_Bass});
                for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                    w.Off(60, ch);
            }
        }

        void Tunnel(Writer& w, int order)
        {
            const bool dark = order >= 18;
            const Progression& prog = dark ? Dark : Main;
            const int from = order == 12 ? 27 : 0;  // order 12 opens with a breakdown
            const bool fill = order == 11 || order == 13;

            if (order == 12)
            {
                Pad_Chords(w, Main, 0, {34, 34, 34, 34}, 0, false, true);
                for (int bar = 0; bar < 2; ++bar)
                    w.Note(bar * 16, Ch_Bass, Main[std::size_t(bar)]->bass, Bass_Dark, Level::Dark);
                w.Note(27, Ch_Fx, Drum, Crash, Level::Crash);
                Bass_Follow(w, Main, 27, 64, Bass_Bright, Level::Reese, {0, 6});
            }
            else
            {
                const int pad_level = order >= 20 ? Level::Pad + 4 : Level::Pad;
                Pad_Chords(w, prog, 0, {pad_level, pad_level, pad_level, pad_level}, 0, false, order != 10);
            }

            // The backbeat on rows 3 mod 8, a clap doubling every second one.
            for (int r = from; r < 64; ++r)
            {
                if (r % 8 == 3)
                    w.Note(r, Ch_Snare, Drum, Snare, Level::Snare);
                if (r % 16 == 11 && order < 20)
                    w.Note(r, Ch_Clap, Drum, Clap, Level::Clap * 3 / 4);
            }
            // The accents on rows 22 mod 32: a stab and an open hat.
            for (int r : {22, 54})
                if (r >= from)
                {
                    w.Note(r, Ch_Stab, Bar(prog, r).stab, Stab, Level::Stab);
                    w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open + 6);
                    w.Note(r, Ch_Clap, Drum, Clap, Level::Clap * 3 / 4);
                }

            if (order < 14)
                Kicks(w, from, fill ? 49 : 64, {0, 6});
            else
                Kicks(w, from, 64, {0, 10});

            if (fill)
                for (int i = 0; i < 5; ++i)
                {
                    const int r = 49 + 2 * i;
                    w.Note(r, Ch_Snare, Drum, Snare, 40 + 6 * i);
                    w.Note(r, Ch_Clap, Drum, Clap, 28 + 4 * i);
                }

            // Hats: sixteenths, thinning out from order 18.
            const int hat_step = order < 18 ? 1 : order == 18 ? 2 : order == 19 ? 4 : 0;
            if (hat_step)
                Hats(w, from, fill ? 48 : 64, hat_step, Level::Hat, 16);
            else
                for (int r = 14; r < 64; r += 16)
                    w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open);

            if (order == 10 || order == 11 || order == 13)
                Bass_Follow(w, Main, 0, 64, Bass_Bright, Level::Reese, {0, 6});
            else if (order >= 14 && order < 19)
                Bass_Moving(w, prog, 0, 64, Bass_Bright, Level::Reese);
            else if (order >= 19)
                Bass_Moving(w, prog, 0, 64, Bass_Dark, Level::Dark);

            if (order >= 14 && order < 18)
                for (int r = 0; r < 64; ++r)
                    if (r % 16 == 2 || r % 16 == 7 || r % 16 == 12)
                        w.Note(r, Ch_Pulse, Bar(prog, r).arp[std::size_t((r / 5) % 4)], Pluck, Level::Pluck * 2 / 3,
                               Fx_Panning, r % 2 ? 0xA0 : 0x60);
            if (order == 10 || order == 14)
                w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
            if (order == 21)
                w.Note(48, Ch_Fx, N(C, 4), Sweep, Level::Sweep * 2 / 3);
        }

        void Warp(Writer& w, int order, Synth::Noise& noise)
        {
            // The pulse on rows 3 mod 8 runs through the whole section.
            for (int r = 3; r < 64; r += 8)
                w.Note(r, Ch_Clap, Drum, Clap, Level::Clap + 4);

            if (order <= 23)
            {
                Pad_Chords(w, Dark, 0, {20, 20, 20, 20}, -1, false, order == 23);
                Kicks(w, 0, 64, {0});
                for (int bar = 0; bar < 4; ++bar)
                {
                    w.Note(bar * 16, Ch_Bass, Dark[std::size_t(bar)]->bass, Bass_Dark, Level::Dark);
                    w.Off(bar * 16 + 12, Ch_Bass);
                }
                for (int r = 6; r < 64; r += 16)
                    w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open * 3 / 4);
                // Big hits: Dm in the third bar, Em in the fourth.
                const std::vector<int> hits = order == 22 ? std::vector<int>{36, 45, 54} : std::vector<int>{36, 44};
                for (int r : hits)
                    w.Off(r - 2, Ch_Bass);  // the bass leaves room just before each hit
                for (int r : hits)
                    w.Note(r, Ch_Stab, r < 48 ? N(D, 3) : N(E, 3), Big_Hit, Level::Hit);
                if (order == 22)
                    w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
                if (order == 23)
                    for (int r = 60; r < 64; ++r)
                        w.Note(r, Ch_Snare, Drum, Snare, 40 + 7 * (r - 60));
                return;
            }
            if (order <= 25)
            {
                Glitches(w, 0, 64, noise, 100, Level::Glitch);
                if (order == 24)
                    for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                        w.Off(0, ch);
                Kicks(w, 0, 64, {0, 10});
                for (int r = 0; r < 64; ++r)
                    if (r % 16 == 0 || r % 16 == 10)
                        w.Note(r, Ch_Bass, Bar(Dark, r).bass, Bass_Dark, Level::Dark, Fx_Extended, 0xC4);
                if (order == 25)
                    Pad_Chords(w, Dark, 0, {22, 22, 24, 26}, -1);
                return;
            }
            // From order 26: harder, and from 28 breaking apart.
            const bool breaking = order >= 28;
            const int row_of_decay = (order - 28) * 64;  // 0..127 across orders 28-29
            Kicks(w, 0, 64, {0, 10});
            for (int r = 3; r < 64; r += 8)
                w.Note(r, Ch_Snare, Drum, Snare, Level::Snare);
            Bass_Moving(w, Dark, 0, 64, Bass_Bright, Level::Reese + 4);
            Hats(w, 0, 64, 1, Level::Hat, 16);
            Pad_Chords(w, Dark, 0, {22, 22, 22, 22}, 0, false, order != 26);
            for (int r : {22, 54})
                w.Note(r, Ch_Stab, Bar(Dark, r).stab, Stab, Level::Stab);
            if (order == 26)
            {
                w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
                w.Note(0, Ch_Stab, Am.stab, Big_Hit, Level::Hit);
            }
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
                const int sagging = Ch_Pad1 + r % 3;
                if (order == 29 && r >= 32 && !w.p.At(r, sagging).effect)
                    w.Effect(r, sagging, Fx_Extended, 0x22);  // fine slide down: the pad goes out of tune
            }
            if (order == 29)
            {
                // The last bar falls apart: only stutters and the pulse remain.
                for (int r = 52; r < 64; ++r)
                    w.Silence(r, {Ch_Kick, Ch_Bass, Ch_Hat, Ch_Open, Ch_Pad1, Ch_Pad2, Ch_Pad3, Ch_Stab});
                for (int r = 52; r < 64; ++r)
                    if (r % 8 != 3)
                        w.Note(r, Ch_Glitch, std::uint8_t(Glitch_Base + r % Glitch_Slices), Glitch,
                               Level::Glitch - (r - 52) * 2, Fx_Extended, std::uint8_t(0x91 + (r % 3)));
            }
        }

        void Drums(Writer& w, int order)
        {
            const std::array<int, 4> snares = order == 30 ? std::array<int, 4>{3, 13, 20, 26} : std::array<int, 4>{6, 13, 20, 26};
            for (int half = 0; half < 64; half += 32)
            {
                for (int r : {0, 10, 16, 23})
                    w.Note(half + r, Ch_Kick, Drum, Kick, Level::Kick);
                for (int r : snares)
                    w.Note(half + r, Ch_Snare, Drum, Snare, Level::Snare + 8);
                for (int r : {7, 15, 19, 29})
                    w.Note(half + r, Ch_Shot, N(G, 3), Shot_Ah, Level::Shot);
                for (int r : {9, 31})
                    w.Note(half + r, Ch_Shot2, N(E, 3), Shot_Oh, Level::Shot);
            }
            Hats(w, 0, 64, 2, Level::Hat * 3 / 4);
        }

        void Stutter(Writer& w)
        {
            for (int r : {0, 17, 24, 29})
                w.Note(r, Ch_Kick, Drum, Kick, Level::Kick);
            for (int r : {4, 13, 18, 22, 27, 30})
                w.Note(r, Ch_Snare, Drum, Snare, Level::Snare + 8);
            for (int r : {10, 14, 16, 19, 21, 25, 31})
                w.Note(r, Ch_Shot, N(G, 3), Shot_Ah, Level::Shot);
            for (int r : {12, 15, 20, 23, 26, 28})
                w.Note(r, Ch_Clap, Drum, Clap, Level::Clap + 12);
            // Rows 32-63: the chord swells while the last shot echoes away.
            for (int v = 0; v < 3; ++v)
                w.Note(32, Ch_Pad1 + v, Am.pad[std::size_t(v)], Pad, 30, Fx_Panning, std::uint8_t(0x50 + 0x30 * v));
            for (int v = 0; v < 3; ++v)
                w.p.At(48, Ch_Pad1 + v) = {Am.pad[std::size_t(v)], 0, Vol(36), Fx_Portamento, 0x30};
            w.Note(32, Ch_Bass, Am.bass, Bass_Dark, Level::Dark);
            int vol = Level::Shot;
            for (int r = 32, i = 0; r < 64 && vol > 1; r += 3, ++i, vol = vol * 2 / 3)
                w.Note(r, Ch_Echo, N(E, 3), Shot_Oh, vol, Fx_Panning, i % 2 ? 0xC0 : 0x40);
        }

        void Outro(Writer& w, int order)
        {
            // The pad fades bar by bar to nothing by the end of order 35.
            const int step = (order - 33) * 4;
            std::array<int, 4> vols{};
            for (int bar = 0; bar < 4; ++bar)
                vols[std::size_t(bar)] = std::max(0, 40 - 3 * (step + bar) - (order == 35 && bar == 3 ? 40 : 0));
            const Progression& prog = order == 35 ? Progression{&Am, &Fmaj, &Am, &Am} : Main;
            Pad_Chords(w, prog, 0, vols, 0, false, true);
            if (order == 33)
            {
                w.Note(0, Ch_Bass, Am.bass, Bass_Dark, Level::Dark * 3 / 4);
                w.Off(48, Ch_Bass);
                int vol = Level::Pluck;
                for (int r = 0, i = 0; r < 64 && vol > 1; r += 3, ++i, vol = vol * 4 / 5)
                    w.Note(r, Ch_Echo, Am.arp[std::size_t(i % 3)], Pluck, vol, Fx_Panning, i % 2 ? 0xC0 : 0x40);
            }
            if (order == 35)
            {
                for (int r = 48; r < 64; r += 2)
                    for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                        w.Volume(r, ch, std::max(0, 9 - (r - 48) * 3 / 4));
                for (int ch : {Ch_Pad1, Ch_Pad2, Ch_Pad3})
                    w.Off(56, ch);
            }
        }
    }

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
            if (order <= 3) Intro(w, order);
            else if (order <= 7) Groove(w, order);
            else if (order <= 9) Build(w, order);
            else if (order <= 21) Tunnel(w, order);
            else if (order <= 29) Warp(w, order, noise);
            else if (order <= 31) Drums(w, order);
            else if (order == 32) Stutter(w);
            else if (order <= 35) Outro(w, order);
            m.orders.push_back(std::uint8_t(order));
        }
        return m;
    }
}
