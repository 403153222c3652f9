// The opening of "tekno.xm": the intro (orders 0-3), the groove (4-7) and the
// build (8-9) that stops short of the drop.
#include "Tools/Composer/Sections.h"

namespace Ryx_Tools::Sections
{
    using namespace Score_Parts;

    void Intro(Writer& w, int order)
    {
        if (order == 0)
        {
            Pad_Chords(w, Main, 0, {26, 32, 38, 42});
            Arp(w, Main, 0, 64, 4, Level::Pluck);
        }
        if (order == 1)
        {
            Pad_Chords(w, Main, 0, {34, 34, 34, 34}, 0, false, true);
            Arp(w, Main, 0, 64, 2, Level::Pluck);
            for (int r = 2; r < 64; r += 4)
                w.Note(r, Ch_Hat, Drum, Hat_Closed, 6 + r / 4);
        }
        if (order == 2)
        {
            // A breath: the pulse on rows 0 and 2, everything fades in row 2 and is
            // silent from row 3 to row 11.
            Arp(w, Main, 0, 3, 2, Level::Pluck);
            for (int ch : Pad_Channels)
                w.p.At(2, ch).volume = 0x6C;  // slide down over the row
            w.Silence_Pads(3);
            w.Silence(3, {Ch_Pulse, Ch_Hat});
            // Back in a new colour: open voicing, hats, claps on beats two and four.
            Pad_Chords(w, Main, 0, {0, 34, 36, 38}, 0, true);
            for (int ch : Pad_Channels)
                w.p.At(0, ch) = {};  // the order-1 chord carries on into rows 0-2
            for (int i = 0; i < 6; ++i)
                w.Note(12, Pad_Channels[std::size_t(i)],
                       std::uint8_t(Am.pad[std::size_t(i % 3)] + (i % 3 == 1 ? 12 : 0)), i < 3 ? Pad : Pad_Wide, 30);
            Arp(w, Main, 12, 64, 2, Level::Pluck, 12);
        }
        if (order == 3)
        {
            Pad_Chords(w, Main, 0, {38, 36, 34, 32}, 0, true, true);
            Arp(w, Main, 0, 61, 2, Level::Pluck, 12);
            // The pad draws back over the last rows so that the groove lands.
            for (int r = 60; r < 64; ++r)
                for (int ch : Pad_Channels)
                    w.p.At(r, ch).volume = 0x64;  // slide down 4 a tick
        }
        if (order >= 2)
        {
            const int from = order == 2 ? 12 : 0;
            Hats(w, from, 64, 2, Level::Hat * 2 / 3, 8, order);
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
        {
            if (r % 16 == 4 || r % 16 == 12)
                w.Note(r, Ch_Snare, Drum, Snare, Level::Snare);
            // Ghost notes in orders 5 and 6, a different pair each order, never
            // just before a stab or a shot.
            const int ghost = order == 5 ? 2 : order == 6 ? 9 : -1;
            if (ghost >= 0 && (r % 16 == 7 || r % 16 == ghost) && r / 16 % 2 == order % 2)
                w.Note(r, Ch_Snare, Drum, Snare, 18);
        }
        Hats(w, 0, end, order == 4 ? 2 : 1, Level::Hat, 16, order, true);
        if (order == 6)
            Bass_Moving(w, Main, 0, end, Bass_Bright, Level::Reese, 1);
        else
            Bass_Follow(w, Main, 0, end, Bass_Bright, Level::Reese, {0, 10});
        Pad_Chords(w, Main, 0, {27, 27, 27, 27}, 0, false, true, true);
        w.Note(1, Ch_Fx, N(C, 3), Sweep, Level::Sweep * 2 / 3);
        // The answers: stab on the bar, a shot on the "and" of beat three.
        const int last = order == 7 ? 10 : 58;
        for (int r = 0; r <= last; ++r)
        {
            if (r % 16 == 0)  // an octave up, bright over the pad
                w.Note(r, Ch_Stab, std::uint8_t(Bar(Main, r).stab + 12), Stab, 64);
            if (r % 16 == 10)
                w.Note(r, Ch_Shot, N(G, 3), Shot_Ah, Level::Shot);
        }
        if (order == 6)  // the pluck answers the shots from afar
            for (int r = 13; r < 64; r += 16)
                w.Note(r, Ch_Pulse, Bar(Main, r).arp[3], Pluck, Level::Pluck * 2 / 3, Fx_Panning,
                       r % 32 == 13 ? 0x40 : 0xC0);
        if (order == 4)
            w.Note(0, Ch_Fx, Drum, Crash, Level::Crash);
        if (order == 7)
        {
            // The section stops on row 58.
            w.Note(58, Ch_Stab, Am.stab, Big_Hit, Level::Hit * 3 / 4);
            w.Note(58, Ch_Fx, Drum, Crash, Level::Crash);
            for (int ch : Pad_Channels)
                w.Off(58, ch);
            w.Off(58, Ch_Bass);
        }
    }

    void Build(Writer& w, int order)
    {
        w.Note(0, Ch_Fx, N(C, 3), Sweep, Level::Sweep);
        Pad_Chords(w, Main, 0, order == 8 ? std::array<int, 4>{20, 22, 24, 26} : std::array<int, 4>{24, 26, 28, 30}, 0,
                   false, order == 9);
        // The low end thins out: the bass holds each bar in order 8 and leaves
        // after two bars of order 9, so that the drop brings it back.
        for (int bar = 0; bar < (order == 8 ? 4 : 2); ++bar)
        {
            w.Note(bar * 16, Ch_Bass, Main[std::size_t(bar)]->bass, Bass_Dark, Level::Dark * 3 / 4);
            w.Duck(bar * 16, Level::Dark * 3 / 4);
        }
        if (order == 9)
            w.Off(32, Ch_Bass);
        if (order == 8)
        {
            Kicks(w, 0, 64, {0}, Level::Kick * 3 / 4);
            for (int r = 0; r < 64; r += r < 32 ? 4 : 2)
                w.Note(r, Ch_Snare, Drum, Snare, 12 + r / 3);
            Arp(w, Main, 0, 64, 2, Level::Pluck * 3 / 4);
            Hats(w, 32, 64, 2, Level::Hat * 1 / 2);
        }
        else
        {
            Kicks(w, 0, 60, {0, 4, 8, 12}, Level::Kick / 2);
            for (int r = 0; r < 60; ++r)
            {
                w.Note(r, Ch_Snare, Drum, Snare, 8 + r / 3);
                if (r >= 32)
                    w.Effect(r, Ch_Snare, Fx_Extended, 0x93);  // two hits a row
            }
            Arp(w, Main, 0, 60, 1, Level::Pluck / 3, 12);
            Hats(w, 0, 60, 1, Level::Hat / 3);
            // A breath before the drop.
            w.Silence(60, {Ch_Snare, Ch_Hat, Ch_Pulse, Ch_Bass});
            for (int ch : Pad_Channels)
                w.Off(60, ch);
        }
    }
}
