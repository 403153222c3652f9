// The score's figures: how a chord, a hat line, a kick pattern, a backbeat, a
// bass line, an arpeggio, a glitch run or a fill is written into a pattern.
#include "Tools/Composer/Score_Parts.h"

namespace Ryx_Tools::Score_Parts
{
    void Pad_Chords(Writer& w, const Progression& prog, int from_bar, std::array<int, 4> vols, int octave,
                    bool open_voicing, bool continuing, bool pump)
    {
        for (int bar = from_bar; bar < 4; ++bar)
        {
            const Chord& c = *prog[std::size_t(bar)];
            const int vol = vols[std::size_t(bar)];
            for (int i = 0; i < 6; ++i)
            {
                const int v = i % 3;
                int note = c.pad[std::size_t(v)] + 12 * octave;
                if (open_voicing && v == 1)
                    note += 12;  // spread: root, third up an octave, fifth
                const int row = bar * 16, ch = Pad_Channels[std::size_t(i)];
                const std::uint8_t ins = i < 3 ? Pad : Pad_Wide;
                if (pump)
                {
                    w.Note(row, ch, std::uint8_t(note), ins, vol);
                    w.Duck(row, vol, ch);
                    w.Duck(row + 10, vol, ch);
                }
                else if (bar == from_bar && !continuing)
                    w.Note(row, ch, std::uint8_t(note), ins, vol);
                else
                    w.p.At(row, ch) = {std::uint8_t(note), 0, Vol(vol), Fx_Portamento, 0x30};
            }
        }
    }

    void Hats(Writer& w, int from, int to, int step, int level, int open_every, int shuffle, bool backbeat_gap)
    {
        for (int r = from; r < to; r += step)
        {
            if (backbeat_gap && r % 8 == 4)
                continue;
            if (open_every && r % open_every == open_every - 2)
            {
                w.Note(r, Ch_Open, Drum, Hat_Open, Level::Open * level / Level::Hat);
                continue;
            }
            // Beats full, eighths two thirds, sixteenths softer; the shuffle
            // drops or lifts some sixteenths by the bar.
            const int in_bar = r % 16, bar = r / 16;
            int accent = r % 4 == 0 ? level : r % 2 == 0 ? level * 2 / 3 : level * 2 / 5;
            if (step == 1 && shuffle && r % 2 && (in_bar + bar * shuffle) % 7 == 3)
                continue;
            if (shuffle && r % 4 == 2 && (bar + shuffle) % 2)
                accent = level * 5 / 6;
            w.Note(r, Ch_Hat, Drum, Hat_Closed, accent);
        }
    }

    void Kicks(Writer& w, int from, int to, std::initializer_list<int> in_bar, int vol)
    {
        for (int r = from; r < to; ++r)
            for (int k : in_bar)
                if (r % 16 == k)
                    w.Note(r, Ch_Kick, Drum, Kick, vol);
    }

    void Backbeat(Writer& w, int from, int to, bool clap, int pickup)
    {
        for (int r = from; r < to; ++r)
        {
            if (r % 8 == 3)
                w.Note(r, Ch_Snare, Drum, Snare, pickup);
            if (r % 8 == 4)
            {
                w.Note(r, Ch_Snare, Drum, Snare, Level::Snare);
                if (clap)
                    w.Note(r, Ch_Clap, Drum, Clap, Level::Clap);
            }
        }
    }

    void Bass_Follow(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol,
                     std::initializer_list<int> kicks)
    {
        for (int r = from; r < to; ++r)
        {
            const Chord& c = Bar(prog, r);
            const int in_bar = r % 16;
            for (int k : kicks)
                if (in_bar == k)
                {
                    w.Note(r, Ch_Bass, c.bass, ins, vol);
                    w.Duck(r, vol);
                }
            if (in_bar == 14)
                w.Note(r, Ch_Bass, std::uint8_t(c.bass + 12), ins, vol * 3 / 4);
            if (in_bar == 15)
                w.Off(r, Ch_Bass);  // a gap before the bar: the downbeat's stab speaks
            if (in_bar == 7)
                w.Note(r, Ch_Bass, c.fifth, ins, vol * 3 / 4);
            if (in_bar == 5 || in_bar == 13)
                w.Off(r, Ch_Bass);
        }
    }

    void Bass_Moving(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol, int figure)
    {
        // Rows of each bar that start a note: the kick rows 0 and 10 always.
        static constexpr std::array<std::array<int, 16>, 3> figures{{
            // 0 root, 1 octave, 2 fifth, 3 a walk up to the next chord (last bar only), -1 rest, -2 key off
            {0, -1, -2, 1, -1, -2, 0, -1, -2, -1, 0, -1, -2, 2, 3, -1},
            {0, -1, -1, -2, 2, -1, 1, -2, -1, -1, 0, -1, 1, -2, 2, -1},
            {0, -1, -2, 0, -2, 1, -1, -2, 2, -1, 0, -1, -1, 1, -2, 3},
        }};
        for (int r = from; r < to; ++r)
        {
            const Chord& c = Bar(prog, r);
            const int s = r % 16, step = figures[std::size_t(figure % 3)][std::size_t(s)];
            const bool last = r >= 48;
            if (step == -2 || (s == 15 && step < 0))
                w.Off(r, Ch_Bass);
            if (step < 0 || (step == 3 && !last))
                continue;
            std::uint8_t note = c.bass;
            int v = vol;
            if (step == 1)
            {
                note = std::uint8_t(c.bass + 12);
                v = vol * 3 / 4;
            }
            if (step == 2)
            {
                note = c.fifth;
                v = vol * 3 / 4;
            }
            if (step == 3)
            {
                note = std::uint8_t(c.fifth + 5);
                v = vol * 3 / 4;
            }
            if (step == 0 && s == 6 && last)
                note = c.fifth;
            w.Note(r, Ch_Bass, note, ins, v);
            if (s == 0 || s == 10)
                w.Duck(r, v);
        }
    }

    void Arp(Writer& w, const Progression& prog, int from, int to, int step, int vol, int shift)
    {
        static constexpr int figure[8] = {0, 1, 2, 1, 3, 2, 1, 2};
        for (int r = from; r < to; r += step)
        {
            const Chord& c = Bar(prog, r);
            const int i = (r / step) % 8;
            w.Note(r, Ch_Pulse, std::uint8_t(c.arp[std::size_t(figure[i])] + shift), Pluck, vol, Fx_Panning,
                   (r / step) % 2 ? 0xB0 : 0x50);
        }
    }

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
            std::uint8_t move = moves[int((noise.Next() + 1) * 2) % 4];
            // Around the pulse (3 mod 8) and the backbeat after it the glitches
            // stay plain, short and soft, so that both are heard.
            const bool around_pulse = r % 8 == 2 || r % 8 == 3;
            if (around_pulse)
                move = 0xC2;
            w.Note(r, Ch_Glitch, std::uint8_t(Glitch_Base + slice), Glitch, around_pulse ? vol / 2 : vol,
                   move ? Fx_Extended : 0, move);
        }
    }

    void Fill(Writer& w)
    {
        static constexpr int pitch[5] = {0, -2, -4, -5, -7};  // semitones under C-4
        for (int i = 0; i < 5; ++i)
            w.Note(49 + 2 * i, Ch_Snare, std::uint8_t(Drum + pitch[i]), Snare, 44 + 2 * i, Fx_Extended, 0xC2);
    }
}
