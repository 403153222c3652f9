// Encodes an Xm_Module into the bytes of a FastTracker 2 extended module:
// header, order list, packed patterns, instruments with delta-coded samples.
// Values out of the format's range are clamped rather than wrapped, so a
// careless caller gets a playable module, never a corrupt one.
#include "Tools/Xm_Writer/Xm_Writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace Ryx_Tools
{
    namespace
    {
        struct Bytes
        {
            std::vector<std::uint8_t> out;

            void U8(unsigned v) { out.push_back(std::uint8_t(v)); }
            void U16(unsigned v)
            {
                U8(v & 0xFF);
                U8((v >> 8) & 0xFF);
            }
            void U32(std::uint32_t v)
            {
                U16(v & 0xFFFF);
                U16(v >> 16);
            }
            void Text(const std::string& s, std::size_t size, char pad)
            {
                for (std::size_t i = 0; i < size; ++i)
                    U8(i < s.size() ? std::uint8_t(s[i]) : std::uint8_t(pad));
            }
            void Zeros(std::size_t n) { out.insert(out.end(), n, 0); }
            void Put_U16_At(std::size_t at, unsigned v)
            {
                out[at] = std::uint8_t(v & 0xFF);
                out[at + 1] = std::uint8_t((v >> 8) & 0xFF);
            }
        };

        int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

        void Write_Header(Bytes& b, const Xm_Module& m, int patterns)
        {
            b.Text("Extended Module: ", 17, ' ');
            b.Text(m.name, 20, ' ');
            b.U8(0x1A);
            b.Text(m.tracker, 20, ' ');
            b.U16(0x0104);
            b.U32(276);
            const int length = Clamp(int(m.orders.size()), 1, 256);
            b.U16(length);
            b.U16(Clamp(m.restart, 0, length - 1));
            b.U16(Clamp(m.channels, 1, 32));
            b.U16(patterns);
            b.U16(Clamp(int(m.instruments.size()), 0, 128));
            b.U16(m.linear ? 1 : 0);
            b.U16(Clamp(m.speed, 1, 31));
            b.U16(Clamp(m.tempo, 32, 255));
            for (int i = 0; i < 256; ++i)
                b.U8(i < int(m.orders.size()) ? std::min<int>(m.orders[i], patterns - 1) : 0);
        }

        void Write_Cell(Bytes& b, const Xm_Cell& c)
        {
            Xm_Cell cell = c;
            if (cell.effect == 0x0F && cell.parameter == 0)
                cell.effect = 0;  // F00 would stop the song in one player and not the other
            if (cell.note > 97)
                cell.note = 0;
            const bool all = cell.note && cell.instrument && cell.volume && cell.effect && cell.parameter;
            if (all)
            {
                b.U8(cell.note);
                b.U8(cell.instrument);
                b.U8(cell.volume);
                b.U8(cell.effect);
                b.U8(cell.parameter);
                return;
            }
            const unsigned mask = 0x80 | (cell.note ? 0x01 : 0) | (cell.instrument ? 0x02 : 0) |
                (cell.volume ? 0x04 : 0) | (cell.effect ? 0x08 : 0) | (cell.parameter ? 0x10 : 0);
            b.U8(mask);
            if (cell.note)
                b.U8(cell.note);
            if (cell.instrument)
                b.U8(cell.instrument);
            if (cell.volume)
                b.U8(cell.volume);
            if (cell.effect)
                b.U8(cell.effect);
            if (cell.parameter)
                b.U8(cell.parameter);
        }

        void Write_Pattern(Bytes& b, const Xm_Pattern& p, int channels)
        {
            const int rows = Clamp(p.rows, 1, 256);
            Bytes data;
            bool any = false;
            for (int r = 0; r < rows; ++r)
                for (int ch = 0; ch < channels; ++ch)
                {
                    const bool inside =
                        r < p.rows && ch < p.channels && std::size_t(r) * p.channels + ch < p.cells.size();
                    const Xm_Cell cell = inside ? p.At(r, ch) : Xm_Cell{};
                    Write_Cell(data, cell);
                    any = any || cell.note || cell.instrument || cell.volume || cell.effect || cell.parameter;
                }
            b.U32(9);
            b.U8(0);
            b.U16(rows);
            // A 64-row empty pattern may be stored without data; any other keeps its cells.
            if (!any && rows == 64)
            {
                b.U16(0);
                return;
            }
            b.U16(unsigned(data.out.size()));
            b.out.insert(b.out.end(), data.out.begin(), data.out.end());
        }

        void Write_Envelope_Points(Bytes& b, const Xm_Envelope& e)
        {
            for (int i = 0; i < 12; ++i)
            {
                if (i < int(e.points.size()))
                {
                    b.U16(e.points[i].first);
                    b.U16(std::min<unsigned>(e.points[i].second, 64));
                }
                else
                {
                    b.U16(0);
                    b.U16(0);
                }
            }
        }

        unsigned Envelope_Type(const Xm_Envelope& e)
        {
            const int n = int(std::min<std::size_t>(e.points.size(), 12));
            unsigned type = (e.on && n > 0) ? 1 : 0;
            if (type && e.sustain >= 0 && e.sustain < n)
                type |= 2;
            if (type && e.loop_start >= 0 && e.loop_end >= e.loop_start && e.loop_end < n)
                type |= 4;
            return type;
        }

        void Write_Sample_Data(Bytes& b, const Xm_Sample& s)
        {
            if (s.sixteen_bit)
            {
                std::int16_t previous = 0;
                for (std::int16_t v : s.data)
                {
                    b.U16(std::uint16_t(std::uint16_t(v) - std::uint16_t(previous)));
                    previous = v;
                }
                return;
            }
            std::int8_t previous = 0;
            for (std::int16_t v : s.data)
            {
                const auto value = std::int8_t(Clamp(v, -128, 127));
                b.U8(std::uint8_t(std::uint8_t(value) - std::uint8_t(previous)));
                previous = value;
            }
        }

        void Write_Instrument(Bytes& b, const Xm_Instrument& ins)
        {
            const int count = Clamp(int(ins.samples.size()), 0, 16);
            b.U32(count ? 263 : 33);
            b.Text(ins.name, 22, '\0');
            b.U8(0);
            b.U16(count);
            b.U32(40);  // sample header size: present even without samples (33 = 29 + 4)
            if (!count)
                return;
            for (std::uint8_t k : ins.keymap)
                b.U8(std::min<int>(k, count - 1));
            Write_Envelope_Points(b, ins.volume_envelope);
            Write_Envelope_Points(b, ins.panning_envelope);
            auto points = [](const Xm_Envelope& e) { return unsigned(std::min<std::size_t>(e.points.size(), 12)); };
            auto index = [](int i) { return unsigned(std::max(i, 0)); };
            b.U8(points(ins.volume_envelope));
            b.U8(points(ins.panning_envelope));
            b.U8(index(ins.volume_envelope.sustain));
            b.U8(index(ins.volume_envelope.loop_start));
            b.U8(index(ins.volume_envelope.loop_end));
            b.U8(index(ins.panning_envelope.sustain));
            b.U8(index(ins.panning_envelope.loop_start));
            b.U8(index(ins.panning_envelope.loop_end));
            b.U8(Envelope_Type(ins.volume_envelope));
            b.U8(Envelope_Type(ins.panning_envelope));
            b.U8(ins.vibrato_type);
            b.U8(ins.vibrato_sweep);
            b.U8(ins.vibrato_depth);
            b.U8(ins.vibrato_rate);
            b.U16(ins.fadeout);
            b.Zeros(22);

            for (int i = 0; i < count; ++i)
            {
                const Xm_Sample& s = ins.samples[i];
                const std::uint32_t frames = std::uint32_t(s.data.size());
                const std::uint32_t width = s.sixteen_bit ? 2 : 1;
                // A loop must lie inside the sample; an empty one is no loop.
                std::uint32_t loop_start = std::min(s.loop_start, frames);
                std::uint32_t loop_length = std::min(s.loop_length, frames - loop_start);
                int loop_type = Clamp(s.loop_type, 0, 2);
                if (loop_length == 0)
                    loop_type = 0;
                if (loop_type == 0)
                    loop_start = loop_length = 0;
                b.U32(frames * width);
                b.U32(loop_start * width);
                b.U32(loop_length * width);
                b.U8(std::min<unsigned>(s.volume, 64));
                b.U8(std::uint8_t(s.finetune));
                b.U8(unsigned(loop_type) | (s.sixteen_bit ? 0x10 : 0));
                b.U8(s.panning);
                b.U8(std::uint8_t(s.relative_note));
                b.U8(0);
                b.Text(s.name, 22, '\0');
            }
            for (int i = 0; i < count; ++i)
                Write_Sample_Data(b, ins.samples[i]);
        }
    }

    std::vector<std::uint8_t> Encode_Xm(const Xm_Module& module)
    {
        // At least one pattern, so that every order entry names one that exists.
        Xm_Module m = module;
        if (m.orders.empty())
            m.orders.push_back(0);
        if (m.patterns.empty())
            m.patterns.emplace_back(64, m.channels);
        const int patterns = Clamp(int(m.patterns.size()), 1, 256);
        const int channels = Clamp(m.channels, 1, 32);

        Bytes b;
        Write_Header(b, m, patterns);
        for (int i = 0; i < patterns; ++i)
            Write_Pattern(b, m.patterns[i], channels);
        for (int i = 0; i < std::min<int>(int(m.instruments.size()), 128); ++i)
            Write_Instrument(b, m.instruments[i]);
        return std::move(b.out);
    }

    bool Save_Xm(const Xm_Module& module, const std::string& path)
    {
        const std::vector<std::uint8_t> bytes = Encode_Xm(module);
        const std::string temporary = path + ".tmp";
        {
            std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
            if (!file)
                return false;
            file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            file.flush();
            if (!file)
            {
                file.close();
                std::remove(temporary.c_str());
                return false;
            }
        }
        // std::filesystem's rename replaces an existing file on every system
        // (the C library's does not on Windows).
        std::error_code renamed;
        std::filesystem::rename(temporary, path, renamed);
        if (renamed)
        {
            std::remove(temporary.c_str());
            return false;
        }
        return true;
    }
}
