// The arrangement, section by section. A minor throughout; one chord a bar
// (16 rows). The groove sections use i-VI-III-VII (Am F C G), the darker ones
// i-VI-iv-v (Am F Dm Em). Volumes come from one mix table so that the
// balance is set in one place.
#include "Tools/Composer/Score.h"

#include <algorithm>
#include <array>

#include "Tools/Composer/Instruments.h"
#include "Tools/Composer/Synth.h"

namespace Ryx_Tools
{
    namespace
    {
        enum Channel
        {
            Ch_Kick, Ch_Snare, Ch_Clap, Ch_Hat, Ch_Open, Ch_Bass, Ch_Stab, Ch_Pad1,
            Ch_Pad2, Ch_Pad3, Ch_Fx, Ch_Shot, Ch_Shot2, Ch_Pulse, Ch_Glitch, Ch_Echo,
            Channel_Count
        };

        // The mix: volume column levels (0-64) of each sound at its normal strength.
        namespace Level
        {
            constexpr int Kick = 64, Snare = 52, Clap = 40, Hat = 24, Open = 20, Crash = 30, Sweep = 34,
                          Reese = 40, Dark = 46, Stab = 38, Pad = 26, Shot = 48, Pluck = 36, Glitch = 40,
                          Hit = 64;
        }

        constexpr std::uint8_t Key_Off = 97;
        constexpr std::uint8_t Fx_Portamento = 0x03, Fx_Panning = 0x08, Fx_Extended = 0x0E;

        std::uint8_t N(int semitone, int octave) { return std::uint8_t(1 + octave * 12 + semitone); }
        std::uint8_t Vol(int v) { return std::uint8_t(0x10 + std::clamp(v, 0, 64)); }
        const std::uint8_t Drum = N(0, 4);  // drums play at their own rate on C-4

        enum Tone { C = 0, D = 2, E = 4, F = 5, G = 7, A = 9, B = 11 };

        struct Chord
        {
            std::uint8_t bass;                // root, low octave
            std::uint8_t fifth;               // bass fifth above the root
            std::array<std::uint8_t, 3> pad;  // close voicing around A3-F4
            std::uint8_t stab;                // minor stab that fits over the chord
            std::array<std::uint8_t, 4> arp;  // pluck notes: chord tones up high
        };

        const Chord Am{N(A, 1), N(E, 2), {N(A, 3), N(C, 4), N(E, 4)}, N(A, 3), {N(A, 4), N(C, 5), N(E, 5), N(A, 5)}};
        const Chord Fmaj{N(F, 1), N(C, 2), {N(A, 3), N(C, 4), N(F, 4)}, N(A, 3), {N(F, 4), N(A, 4), N(C, 5), N(E, 5)}};
        const Chord Cmaj{N(C, 2), N(G, 2), {N(G, 3), N(C, 4), N(E, 4)}, N(E, 3), {N(G, 4), N(C, 5), N(E, 5), N(G, 5)}};
        const Chord Gmaj{N(G, 1), N(D, 2), {N(G, 3), N(B, 3), N(D, 4)}, N(D, 3), {N(G, 4), N(B, 4), N(D, 5), N(G, 5)}};
        const Chord Dm{N(D, 2), N(A, 2), {N(A, 3), N(D, 4), N(F, 4)}, N(D, 3), {N(D, 5), N(F, 5), N(A, 5), N(D, 6)}};
        const Chord Em{N(E, 1), N(B, 1), {N(G, 3), N(B, 3), N(E, 4)}, N(E, 3), {N(E, 4), N(G, 4), N(B, 4), N(E, 5)}};

        using Progression = std::array<const Chord*, 4>;
        const Progression Main{&Am, &Fmaj, &Cmaj, &Gmaj};
        const Progression Dark{&Am, &Fmaj, &Dm, &Em};

        const Chord& Bar(const Progression& p, int row) { return *p[std::size_t(row / 16)]; }

        struct Writer
        {
            Xm_Pattern& p;

            void Note(int row, int ch, std::uint8_t note, std::uint8_t ins, int vol, std::uint8_t fx = 0,
                      std::uint8_t param = 0)
            {
                p.At(row, ch) = {note, ins, Vol(vol), fx, param};
            }
            void Volume(int row, int ch, int vol) { p.At(row, ch).volume = Vol(vol); }
            void Off(int row, int ch) { p.At(row, ch).note = Key_Off; }
            void Effect(int row, int ch, std::uint8_t fx, std::uint8_t param)
            {
                p.At(row, ch).effect = fx;
                p.At(row, ch).parameter = param;
            }
            void Silence(int row, std::initializer_list<int> channels)
            {
                for (int ch : channels)
                    p.At(row, ch) = {0, 0, Vol(0), 0, 0};
            }
        };

        // Pad chords, one a bar; voices glide (tone portamento) instead of
        // retriggering so the slow attack does not pump at every bar.
        void Pad_Chords(Writer& w, const Progression& prog, int from_bar, std::array<int, 4> vols, int octave = 0,
                 bool open_voicing = false, bool continuing = false)
        {
            static constexpr std::uint8_t pans[3] = {0x50, 0x80, 0xB0};
            for (int bar = from_bar; bar < 4; ++bar)
            {
                const Chord& c = *prog[std::size_t(bar)];
                for (int v = 0; v < 3; ++v)
                {
                    int note = c.pad[std::size_t(v)] + 12 * octave;
                    if (open_voicing && v == 1)
                        note += 12;  // spread: root, third up an octave, fifth
                    const int row = bar * 16;
                    if (bar == from_bar && !continuing)
                        w.Note(row, Ch_Pad1 + v, std::uint8_t(note), Pad, vols[std::size_t(bar)], Fx_Panning, pans[v]);
                    else
                        w.p.At(row, Ch_Pad1 + v) = {std::uint8_t(note), 0, Vol(vols[std::size_t(bar)]), Fx_Portamento, 0x30};
                }
            }
        }

        // Closed hats: every `step` rows, accents on the beat, ghosts between.
        void Hats(Writer& w, int from, int to, int step, int level, int open_every = 0)
        {
            for (int r = from; r < to; r += step)
            {
                if (open_every && r % open_every == open_every - 2)
                {
                    w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open * level / Level::Hat);
                    continue;
                }
                const int accent = r % 4 == 0 ? level : r % 2 == 0 ? level * 2 / 3 : level * 2 / 5;
                w.Note(r, Ch_Hat, Drum, Hat_Closed, accent);
            }
        }

        void Kicks(Writer& w, int from, int to, std::initializer_list<int> in_bar, int vol = Level::Kick)
        {
            for (int r = from; r < to; ++r)
                for (int k : in_bar)
                    if (r % 16 == k)
                        w.Note(r, Ch_Kick, Drum, Kick, vol);
        }

        // Root on the kick rows, a fifth and an octave on the offbeats.
        void Bass_Follow(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol,
                         std::initializer_list<int> kicks)
        {
            for (int r = from; r < to; ++r)
            {
                const Chord& c = Bar(prog, r);
                const int in_bar = r % 16;
                for (int k : kicks)
                    if (in_bar == k)
                        w.Note(r, Ch_Bass, c.bass, ins, vol);
                if (in_bar == 14)
                    w.Note(r, Ch_Bass, std::uint8_t(c.bass + 12), ins, vol * 3 / 4);
                if (in_bar == 7)
                    w.Note(r, Ch_Bass, c.fifth, ins, vol / 2);
                if (in_bar == 5 || in_bar == 13)
                    w.Off(r, Ch_Bass);
            }
        }

        // The moving line: roots, fifths and octaves in a sixteen-step figure,
        // a walk-up in the last bar of the pattern.
        void Bass_Moving(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol)
        {
            for (int r = from; r < to; ++r)
            {
                const Chord& c = Bar(prog, r);
                const int s = r % 16;
                const bool last = r >= 48;
                std::uint8_t note = 0;
                int v = vol;
                if (s == 0 || s == 10) note = c.bass;
                else if (s == 3) { note = std::uint8_t(c.bass + 12); v = vol * 2 / 3; }
                else if (s == 6) { note = last ? c.fifth : c.bass; v = vol * 3 / 4; }
                else if (s == 13) { note = c.fifth; v = vol * 2 / 3; }
                else if (s == 14 && last) { note = std::uint8_t(c.fifth + 5); v = vol * 3 / 4; }
                if (note)
                    w.Note(r, Ch_Bass, note, ins, v);
                else if (s == 2 || s == 5 || s == 8 || s == 12)
                    w.Off(r, Ch_Bass);
            }
        }

        void Arp(Writer& w, const Progression& prog, int from, int to, int step, int vol, int shift = 0)
        {
            static constexpr int figure[8] = {0, 1, 2, 1, 3, 2, 1, 2};
            for (int r = from; r < to; r += step)
            {
                const Chord& c = Bar(prog, r);
                const int i = (r / step) % 8;
                w.Note(r, Ch_Pulse, std::uint8_t(c.arp[std::size_t(figure[i])] + shift), Pluck, vol, Fx_Panning,
                       (r / step) % 2 ? 0x98 : 0x68);
            }
        }

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

        // A glitch slice for every row, never the same twice running, with
        // retriggers, cuts and delays drawn from a fixed-seed stream.
        void Glitches(Writer& w, int from, int to, Synth::Noise& noise, int density_percent, int vol)
        {
            int previous = -1;
            for (int r = from; r < to; ++r)
            {
                if ((noise.Next() + 1) * 50 >= density_percent)
                    continue;
                int slice = int((noise.Next() + 1) * 0.5 * Glitch_Slices) % Glitch_Slices;
                if (slice == previous)
                    slice = (slice + 1) % Glitch_Slices;
                previous = slice;
                static constexpr std::uint8_t moves[4] = {0x00, 0x92, 0xC3, 0xD2};
                const std::uint8_t move = moves[int((noise.Next() + 1) * 2) % 4];
                w.Note(r, Ch_Glitch, std::uint8_t(Glitch_Base + slice), Glitch, vol, move ? Fx_Extended : 0, move);
            }
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
