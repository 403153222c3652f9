// The hook's notes, variant by variant.
#include "Tools/Composer/Hook.h"

#include <vector>

namespace Ryx_Tools
{
    using namespace Score_Parts;

    namespace
    {
        struct Step
        {
            int row;
            std::uint8_t note;
            int length;          // rows until the key-off
            bool glide = false;  // slide into the note from the one before
        };

        // The cell: five notes on rows 0 3 6 10 12 of bar `bar`.
        void Cell(std::vector<Step>& out, int bar, std::array<std::uint8_t, 5> notes)
        {
            static constexpr int rows[5] = {0, 3, 6, 10, 12}, lengths[5] = {3, 3, 4, 2, 4};
            for (int i = 0; i < 5; ++i)
                out.push_back({bar * 16 + rows[i], notes[std::size_t(i)], lengths[i]});
        }

        std::vector<Step> Notes(Hook hook)
        {
            std::vector<Step> s;
            switch (hook)
            {
            case Hook::Statement:
                Cell(s, 0, {N(E, 5), N(D, 5), N(C, 5), N(D, 5), N(E, 5)});
                Cell(s, 1, {N(F, 5), N(E, 5), N(C, 5), N(E, 5), N(F, 5)});
                Cell(s, 2, {N(G, 5), N(E, 5), N(C, 5), N(E, 5), N(G, 5)});
                s.insert(s.end(), {{48, N(D, 5), 3}, {51, N(B, 4), 3}, {54, N(G, 4), 6}, {60, N(B, 4), 4}});
                break;
            case Hook::Answer:
                Cell(s, 0, {N(A, 5), N(G, 5), N(E, 5), N(G, 5), N(A, 5)});
                Cell(s, 1, {N(A, 5), N(F, 5), N(C, 5), N(F, 5), N(A, 5)});
                Cell(s, 2, {N(G, 5), N(E, 5), N(C, 5), N(D, 5), N(E, 5)});
                s.insert(s.end(), {{48, N(D, 5), 8}, {56, N(C, 5), 2}, {58, N(B, 4), 2}, {60, N(A, 4), 4}});
                break;
            case Hook::Return:
                for (int bar = 0; bar < 3; ++bar)
                {
                    static constexpr std::array<std::array<std::uint8_t, 6>, 3> lines{{
                        {N(E, 5), N(D, 5), N(C, 5), N(A, 4), N(D, 5), N(E, 5)},
                        {N(F, 5), N(E, 5), N(C, 5), N(A, 4), N(E, 5), N(F, 5)},
                        {N(G, 5), N(E, 5), N(C, 5), N(G, 4), N(E, 5), N(G, 5)},
                    }};
                    const auto& l = lines[std::size_t(bar)];
                    const int b = bar * 16;
                    s.insert(s.end(),
                             {{b, l[0], 3},
                              {b + 3, l[1], 3},
                              {b + 6, l[2], 2},
                              {b + 8, l[3], 2},
                              {b + 10, l[4], 2},
                              {b + 12, l[5], 4, true}});
                }
                s.insert(s.end(), {{48, N(D, 5), 3}, {51, N(E, 5), 3}, {54, N(G, 5), 6, true}, {60, N(A, 5), 4}});
                break;
            case Hook::Return_Answer:
                Cell(s, 0, {N(A, 5), N(G, 5), N(E, 5), N(G, 5), N(A, 5)});
                Cell(s, 1, {N(C, 6), N(A, 5), N(F, 5), N(A, 5), N(C, 6)});
                Cell(s, 2, {N(G, 5), N(E, 5), N(C, 5), N(D, 5), N(E, 5)});
                s.insert(s.end(), {{48, N(D, 5), 6}, {54, N(B, 4), 4}, {58, N(A, 4), 6, true}});
                break;
            case Hook::Dark:
                Cell(s, 0, {N(E, 5), N(D, 5), N(C, 5), N(D, 5), N(E, 5)});
                Cell(s, 1, {N(F, 5), N(E, 5), N(C, 5), N(E, 5), N(F, 5)});
                Cell(s, 2, {N(F, 5), N(D, 5), N(A, 4), N(D, 5), N(F, 5)});
                s.insert(s.end(), {{48, N(E, 5), 3}, {51, N(B, 4), 3}, {54, N(G, 4), 6}, {60, N(B, 4), 4}});
                break;
            case Hook::Dark_Answer:
                Cell(s, 0, {N(A, 5), N(G, 5), N(E, 5), N(G, 5), N(A, 5)});
                Cell(s, 1, {N(A, 5), N(F, 5), N(C, 5), N(F, 5), N(A, 5)});
                Cell(s, 2, {N(A, 5), N(F, 5), N(D, 5), N(E, 5), N(F, 5)});
                s.insert(s.end(),
                         {{48, N(E, 5), 6}, {54, N(D, 5), 2}, {56, N(B, 4), 2}, {58, N(G, 4), 2}, {60, N(E, 4), 4}});
                break;
            }
            return s;
        }

        void Line(Writer& w, const std::vector<Step>& steps, int ch, int delay, int vol, std::uint8_t pan, int from,
                  int to, int shift)
        {
            bool first = true;
            for (const Step& s : steps)
            {
                const int row = s.row + delay;
                if (s.row < from || s.row >= to || row >= 64)
                    continue;
                const auto note = std::uint8_t(s.note + shift);
                if (s.glide && !first)
                    w.p.At(row, ch) = {note, 0, Vol(vol), Fx_Portamento, 0x60};
                else
                    w.Note(row, ch, note, Lead, vol, Fx_Panning, pan);
                first = false;
                const int off = row + s.length;
                if (off < 64 && w.p.At(off, ch).note == 0)
                    w.Off(off, ch);
            }
        }
    }

    void Write_Hook(Writer& w, Hook hook, int vol, int echo_vol, int from, int to, int shift)
    {
        const std::vector<Step> steps = Notes(hook);
        // The echo first: a note of the lead written later never loses its key-off to it.
        Line(w, steps, Ch_Lead_Echo, 3, echo_vol, 0xB8, from, to, shift);
        Line(w, steps, Ch_Lead, 0, vol, 0x78, from, to, shift);
    }
}
