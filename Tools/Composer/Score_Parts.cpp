// The score's figures: how a chord, a hat line, a kick pattern, a bass line,
// an arpeggio or a glitch run is written into a pattern.
#include "Tools/Composer/Score_Parts.h"

namespace Ryx_Tools::Score_Parts
{
    void Pad_Chords(Writer& w, const Progression& prog, int from_bar, std::array<int, 4> vols, int octave,
                    bool open_voicing, bool continuing)
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

    void Hats(Writer& w, int from, int to, int step, int level, int open_every)
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

    void Kicks(Writer& w, int from, int to, std::initializer_list<int> in_bar, int vol)
    {
        for (int r = from; r < to; ++r)
            for (int k : in_bar)
                if (r % 16 == k)
                    w.Note(r, Ch_Kick, Drum, Kick, vol);
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
                    w.Note(r, Ch_Bass, c.bass, ins, vol);
            if (in_bar == 14)
                w.Note(r, Ch_Bass, std::uint8_t(c.bass + 12), ins, vol * 3 / 4);
            if (in_bar == 7)
                w.Note(r, Ch_Bass, c.fifth, ins, vol / 2);
            if (in_bar == 5 || in_bar == 13)
                w.Off(r, Ch_Bass);
        }
    }

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

    void Arp(Writer& w, const Progression& prog, int from, int to, int step, int vol, int shift)
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
}
