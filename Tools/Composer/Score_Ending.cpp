// The ending: drums and shots alone exactly on the cue rows (orders 30-31),
// the stutter (32), then the pad and a last echo of the hook fading to
// silence (33-35). A hat ticks on every even row, where the closing scene
// flashes, softer and softer to the end.
#include "Tools/Composer/Hook.h"
#include "Tools/Composer/Sections.h"

#include <algorithm>

namespace Ryx_Tools::Sections
{
    using namespace Score_Parts;

    namespace
    {
        // Even rows of [from, to) that carry nothing else get a closed hat.
        void Ticks(Writer& w, int from, int to, int vol_from, int vol_to)
        {
            for (int r = from; r < to; r += 2)
                w.Note(r, Ch_Hat, Drum, Hat_Closed,
                       vol_from + (vol_to - vol_from) * (r - from) / std::max(1, to - from));
        }
    }

    void Drum_Break(Writer& w, int order)
    {
        const std::array<int, 4> snares =
            order == 30 ? std::array<int, 4>{3, 13, 20, 26} : std::array<int, 4>{6, 13, 20, 26};
        for (int half = 0; half < 64; half += 32)
        {
            for (int r : {0, 10, 16, 23})
                w.Note(half + r, Ch_Kick, Drum, Kick, Level::Kick);
            for (int r : snares)
                w.Note(half + r, Ch_Snare, Drum, Snare, 64);
            for (int r : {7, 15, 19, 29})
                w.Note(half + r, Ch_Shot, N(G, 3), Shot_Ah, 40);
            for (int r : {9, 31})
                w.Note(half + r, Ch_Shot2, N(E, 3), Shot_Oh, 40);
        }
        Ticks(w, 0, 64, 56, 56);
    }

    void Stutter(Writer& w)
    {
        for (int r : {0, 17, 24, 29})
            w.Note(r, Ch_Kick, Drum, Kick, Level::Kick);
        for (int r : {4, 13, 18, 22, 27, 30})
            w.Note(r, Ch_Snare, Drum, Snare, Level::Snare);
        for (int r : {10, 14, 16, 19, 21, 25, 31})
            w.Note(r, Ch_Shot, N(G, 3), Shot_Ah, Level::Shot * 3 / 4);
        for (int r : {12, 15, 20, 23, 26, 28})
            w.Note(r, Ch_Clap, Drum, Clap, Level::Clap + 20);
        Ticks(w, 0, 32, Level::Hat, Level::Hat);
        // Rows 32-63: the chord swells while the last shot echoes away.
        for (int i = 0; i < 6; ++i)
            w.Note(32, Pad_Channels[std::size_t(i)], Am.pad[std::size_t(i % 3)], i < 3 ? Pad : Pad_Wide, 24);
        for (int i = 0; i < 6; ++i)
            w.p.At(48, Pad_Channels[std::size_t(i)]) = {Am.pad[std::size_t(i % 3)], 0, Vol(30), Fx_Portamento, 0x30};
        w.Note(32, Ch_Bass, Am.bass, Bass_Dark, Level::Dark);
        int vol = Level::Shot;
        for (int r = 32, i = 0; r < 64 && vol > 1; r += 3, ++i, vol = vol * 2 / 3)
            w.Note(r, Ch_Echo, N(E, 3), Shot_Oh, vol, Fx_Panning, i % 2 ? 0xC0 : 0x40);
        Ticks(w, 32, 64, Level::Hat / 2, Level::Hat / 3);
    }

    void Outro(Writer& w, int order)
    {
        // The pad fades bar by bar to nothing by the end of order 35.
        const int step = (order - 33) * 4;
        std::array<int, 4> vols{};
        for (int bar = 0; bar < 4; ++bar)
            vols[std::size_t(bar)] = std::max(0, 32 - 2 * (step + bar) - (order == 35 && bar == 3 ? 32 : 0));
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
        if (order == 34)  // the hook, once more, far away
            Write_Hook(w, Hook::Statement, Level::Lead / 3, Level::Lead_Echo / 2, 0, 32);
        if (order == 35)
        {
            for (int r = 48; r < 64; r += 2)
                for (int ch : Pad_Channels)
                    w.Volume(r, ch, std::max(0, 7 - (r - 48) * 3 / 4));
            for (int ch : Pad_Channels)
                w.Off(56, ch);
        }
        const int t = (order - 33) * 64;  // 0..191 through the three orders
        Ticks(w, 0, 64, 16 - 13 * t / 192, 16 - 13 * (t + 64) / 192);
    }
}
