// A small module whose every row start is known in advance: the yardstick of
// the position tests and of the position-error command. Each order is its own
// 64-row pattern with a note on every 4th row; the second order switches the
// tempo at its first row, so the row length changes mid-song.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "Platform/Audio_Rate.h"
#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools
{
    struct Known_Module_Setup
    {
        int orders = 3;
        int speed = 2;
        int tempo = 200;         // orders other than 1
        int second_tempo = 150;  // order 1
    };

    inline std::int64_t Known_Tick_Frames(int tempo) { return Ryx_Platform::Audio_Rate * 5 / 2 / tempo; }

    inline Xm_Module Known_Module(const Known_Module_Setup& setup)
    {
        Xm_Module m;
        m.name = "position yardstick";
        m.channels = 2;
        m.speed = setup.speed;
        m.tempo = setup.tempo;
        Xm_Instrument ins;
        ins.name = "click";
        Xm_Sample s;
        for (int i = 0; i < 1500; ++i)
            s.data.push_back(std::int16_t(std::lround(20000 * std::exp(-i / 300.0) * std::sin(i * 0.0627))));
        s.relative_note = 29;
        s.finetune = -28;
        ins.samples.push_back(s);
        ins.keymap.fill(0);
        m.instruments.push_back(ins);
        for (int o = 0; o < setup.orders; ++o)
        {
            Xm_Pattern p(64, m.channels);
            for (int r = 0; r < 64; r += 4)
            {
                p.At(r, 0).note = std::uint8_t(49 + (r / 4 + o) % 12);
                p.At(r, 0).instrument = 1;
            }
            if (o == 1 || (o == 2 && setup.second_tempo != setup.tempo))
            {
                p.At(0, 1).effect = 0x0F;
                p.At(0, 1).parameter = std::uint8_t(o == 1 ? setup.second_tempo : setup.tempo);
            }
            m.patterns.push_back(p);
            m.orders.push_back(std::uint8_t(o));
        }
        return m;
    }

    // First frame of every row, in playing order; the last entry is the end.
    inline std::vector<std::int64_t> Known_Row_Starts(const Known_Module_Setup& setup)
    {
        std::vector<std::int64_t> starts;
        std::int64_t frame = 0;
        for (int o = 0; o < setup.orders; ++o)
        {
            int tempo = o == 1 ? setup.second_tempo : setup.tempo;
            for (int r = 0; r < 64; ++r)
            {
                starts.push_back(frame);
                frame += setup.speed * Known_Tick_Frames(tempo);
            }
        }
        starts.push_back(frame);
        return starts;
    }
}
