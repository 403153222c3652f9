// The module writer: the bytes it lays down, and what two independent players
// make of them (libopenmpt in process, xmp as a program).
#include <gtest/gtest.h>

#include "Tools/Module_Render/Module_Render.h"
#include "Tools/Xm_Writer/Xm_Writer.h"

#include <cmath>
#include <cstdio>
#include <fstream>

using namespace Ryx_Tools;

namespace
{
    unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
    std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
    {
        return U16(b, at) | (U16(b, at + 2) << 16);
    }
    std::string Text(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t n)
    {
        return std::string(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + n));
    }

    // A short 16-bit decaying tone and an 8-bit one, recorded at 44 100 Hz.
    Xm_Instrument Tone(bool sixteen, double hz)
    {
        Xm_Instrument ins;
        ins.name = sixteen ? "tone16" : "tone8";
        Xm_Sample s;
        s.sixteen_bit = sixteen;
        const double full = sixteen ? 30000 : 120;
        for (int i = 0; i < 2000; ++i)
            s.data.push_back(
                std::int16_t(std::lround(full * std::exp(-i / 600.0) * std::sin(i * hz * 6.283185307 / 44100))));
        s.relative_note = 29;
        s.finetune = -28;
        ins.samples.push_back(s);
        return ins;
    }

    // `orders` orders over two patterns; a C-4 on every 16th row of channel 0,
    // alternating the two instruments.
    Xm_Module Small_Module(int orders)
    {
        Xm_Module m;
        m.name = "writer test";
        m.channels = 4;
        m.speed = 6;
        m.tempo = 171;
        m.instruments = {Tone(true, 440), Tone(false, 220)};
        for (int p = 0; p < 2; ++p)
        {
            Xm_Pattern pattern(64, m.channels);
            for (int r = 0; r < 64; r += 16)
                pattern.At(r, p) = {49, std::uint8_t(1 + (r / 16) % 2), 0x40, 0, 0};
            m.patterns.push_back(pattern);
        }
        for (int i = 0; i < orders; ++i)
            m.orders.push_back(std::uint8_t(i % 2));
        return m;
    }

    constexpr int Row_Frames = 3864;  // 6 ticks of floor(44100 * 2.5 / 171) samples
}

TEST(Xm_Writer, Header_Lays_Out_Every_Field)
{
    Xm_Module m = Small_Module(3);
    m.restart = 1;
    const auto b = Encode_Xm(m);
    ASSERT_GT(b.size(), 336u);
    EXPECT_EQ(Text(b, 0, 17), "Extended Module: ");
    EXPECT_EQ(Text(b, 17, 20), "writer test         ");
    EXPECT_EQ(b[37], 0x1A);
    EXPECT_EQ(Text(b, 38, 20), "FastTracker v2.00   ");
    EXPECT_EQ(U16(b, 58), 0x0104u);
    EXPECT_EQ(U32(b, 60), 276u);
    EXPECT_EQ(U16(b, 64), 3u);
    EXPECT_EQ(U16(b, 66), 1u);
    EXPECT_EQ(U16(b, 68), 4u);
    EXPECT_EQ(U16(b, 70), 2u);
    EXPECT_EQ(U16(b, 72), 2u);
    EXPECT_EQ(U16(b, 74), 1u);
    EXPECT_EQ(U16(b, 76), 6u);
    EXPECT_EQ(U16(b, 78), 171u);
    EXPECT_EQ(b[80], 0);
    EXPECT_EQ(b[81], 1);
    EXPECT_EQ(b[82], 0);
    EXPECT_EQ(b[83], 0);
}

TEST(Xm_Writer, Patterns_Pack_Cells_By_Mask)
{
    Xm_Module m;
    m.channels = 2;
    Xm_Pattern p(2, 2);
    p.At(0, 0) = {49, 1, 0x40, 0x0C, 0x20};  // every field: five plain bytes
    p.At(0, 1) = {97, 0, 0, 0, 0};           // key off alone
    p.At(1, 0) = {0, 0, 0, 0x0A, 0x0F};      // effect and parameter
    p.At(1, 1) = {0, 0, 0, 0x0F, 0x00};      // F00 would stop the song: dropped
    m.patterns.push_back(p);
    m.orders = {0};
    const auto b = Encode_Xm(m);
    EXPECT_EQ(U32(b, 336), 9u);
    EXPECT_EQ(b[340], 0);
    EXPECT_EQ(U16(b, 341), 2u);
    const std::vector<std::uint8_t> expected{49, 1, 0x40, 0x0C, 0x20, 0x81, 97, 0x98, 0x0A, 0x0F, 0x80};
    ASSERT_EQ(U16(b, 343), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 345, b.begin() + 345 + std::ptrdiff_t(expected.size())), expected);

    // An empty 64-row pattern has no data; a shorter one keeps its empty cells.
    Xm_Module empty;
    empty.channels = 3;
    empty.patterns = {Xm_Pattern(64, 3), Xm_Pattern(2, 3)};
    empty.orders = {0, 1};
    const auto e = Encode_Xm(empty);
    EXPECT_EQ(U16(e, 341), 64u);
    EXPECT_EQ(U16(e, 343), 0u);
    EXPECT_EQ(U16(e, 345 + 5), 2u);
    EXPECT_EQ(U16(e, 345 + 7), 6u);
}

TEST(Xm_Writer, Instruments_Carry_Envelopes_And_Delta_Coded_Samples)
{
    Xm_Module m;
    m.channels = 1;
    m.orders = {0};
    m.patterns.emplace_back(64, 1);
    Xm_Instrument a;
    a.name = "a";
    a.volume_envelope.on = true;
    a.volume_envelope.points = {{0, 0}, {4, 64}, {40, 20}};
    a.volume_envelope.sustain = 1;
    a.fadeout = 0x0400;
    Xm_Sample s16;
    s16.data = {1000, -1000, 32767, -32768};  // deltas wrap
    s16.loop_type = 1;
    s16.loop_start = 1;
    s16.loop_length = 2;
    s16.relative_note = 29;
    s16.finetune = -28;
    Xm_Sample s8;
    s8.sixteen_bit = false;
    s8.data = {100, -100, 300};  // out of range values clamp to 127
    a.samples = {s16, s8};
    a.keymap.fill(1);
    Xm_Instrument none;
    none.name = "silent";
    m.instruments = {a, none};

    const auto b = Encode_Xm(m);
    const std::size_t ins = 336 + 9;  // after one empty pattern
    EXPECT_EQ(U32(b, ins), 263u);
    EXPECT_EQ(U16(b, ins + 27), 2u);
    EXPECT_EQ(U32(b, ins + 29), 40u);
    EXPECT_EQ(b[ins + 33], 1);              // keymap
    EXPECT_EQ(U16(b, ins + 129 + 4), 4u);   // second volume point: tick
    EXPECT_EQ(U16(b, ins + 129 + 6), 64u);  //                      value
    EXPECT_EQ(b[ins + 225], 3);             // volume points
    EXPECT_EQ(b[ins + 227], 1);             // sustain point
    EXPECT_EQ(b[ins + 233], 3);             // volume type: on + sustain
    EXPECT_EQ(b[ins + 234], 0);             // panning type: off
    EXPECT_EQ(U16(b, ins + 239), 0x0400u);  // fadeout

    const std::size_t h = ins + 263;
    EXPECT_EQ(U32(b, h), 8u);  // lengths in bytes
    EXPECT_EQ(U32(b, h + 4), 2u);
    EXPECT_EQ(U32(b, h + 8), 4u);
    EXPECT_EQ(std::int8_t(b[h + 13]), -28);
    EXPECT_EQ(b[h + 14], 0x11);  // forward loop, 16-bit
    EXPECT_EQ(std::int8_t(b[h + 16]), 29);
    EXPECT_EQ(b[h + 17], 0);
    EXPECT_EQ(U32(b, h + 40), 3u);
    EXPECT_EQ(b[h + 40 + 14], 0x00);  // no loop, 8-bit

    const std::size_t d = h + 80;
    const std::vector<unsigned> deltas16{1000, std::uint16_t(-2000), std::uint16_t(33767), 1};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(U16(b, d + 2 * i), deltas16[i]) << i;
    EXPECT_EQ(b[d + 8], 100);
    EXPECT_EQ(b[d + 9], std::uint8_t(-200));
    EXPECT_EQ(b[d + 10], std::uint8_t(227));

    const std::size_t next = d + 11;
    ASSERT_EQ(b.size(), next + 33);
    EXPECT_EQ(U32(b, next), 33u);
    EXPECT_EQ(U16(b, next + 27), 0u);
}

TEST(Xm_Writer, Libopenmpt_Plays_It_Row_By_Row_Without_Warnings)
{
    const Xm_Module m = Small_Module(5);
    // 92 frames divide the 644-frame tick, so every row mark is exact.
    const Rendered_Module r = Render_Module(Encode_Xm(m), 44100, 92);
    ASSERT_TRUE(r.loaded) << r.log;
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(r.channels, 4);
    EXPECT_EQ(r.orders, 5);
    EXPECT_EQ(r.patterns, 2);
    EXPECT_EQ(r.instruments, 2);
    EXPECT_EQ(r.Frames(), 5 * 64 * Row_Frames);
    EXPECT_NEAR(r.estimated_seconds, 5 * 64 * Row_Frames / 44100.0, 0.01);
    ASSERT_EQ(r.rows.size(), 5u * 64u);
    for (std::size_t i = 0; i < r.rows.size(); ++i)
    {
        ASSERT_EQ(r.rows[i].frame, std::int64_t(i) * Row_Frames) << i;
        ASSERT_EQ(r.rows[i].order, int(i / 64));
        ASSERT_EQ(r.rows[i].row, int(i % 64));
    }

    // Both sample widths sound on their rows and nowhere else.
    auto energy = [&](std::int64_t from, std::int64_t n) {
        double e = 0;
        for (std::int64_t f = from; f < from + n; ++f)
            e += double(r.samples[2 * f]) * r.samples[2 * f];
        return e / double(n);
    };
    for (int note = 0; note < 4; ++note)
    {
        const std::int64_t start = std::int64_t(note) * 16 * Row_Frames;
        EXPECT_GT(energy(start, 1000), 1e-3) << note;
        EXPECT_LT(energy(start + 6000, 1000), 1e-9) << note;  // the 2000-frame tone is over
    }
}

TEST(Xm_Writer, Xmp_Renders_The_Same_Length_Without_Warnings)
{
    const Xm_Module m = Small_Module(3);
    const std::string path = std::string(RYX_BIN_DIR) + "/xm_writer_test.xm";
    ASSERT_TRUE(Save_Xm(m, path));
    const Xmp_Result x = Render_With_Xmp(path, path);
    const Rendered_Module r = Render_Module(Encode_Xm(m));
    std::remove(path.c_str());
    ASSERT_TRUE(x.ran) << x.messages;
    EXPECT_EQ(x.exit_code, 0) << x.messages;
    EXPECT_EQ(x.messages.find("arn"), std::string::npos) << x.messages;
    EXPECT_EQ(x.messages.find("rror"), std::string::npos) << x.messages;
    EXPECT_NE(x.messages.find("FastTracker v2.00 XM 1.04"), std::string::npos) << x.messages;
    EXPECT_EQ(x.frames, r.Frames());
    EXPECT_EQ(x.frames, 3 * 64 * Row_Frames);
    // The same sound, read back in the right byte order: the players' levels agree within 1 dB.
    ASSERT_EQ(x.samples.size(), r.samples.size());
    double ex = 0, er = 0;
    for (std::size_t i = 0; i < r.samples.size(); ++i)
    {
        ex += double(x.samples[i]) * x.samples[i];
        er += double(r.samples[i]) * r.samples[i];
    }
    ASSERT_GT(er, 0.0);
    EXPECT_NEAR(10 * std::log10(ex / er), 0.0, 1.0);
}

TEST(Xm_Writer, Save_Replaces_Whole_Files_And_Reports_Failure)
{
    const std::string path = std::string(RYX_BIN_DIR) + "/xm_writer_save.xm";
    const Xm_Module m = Small_Module(2);
    ASSERT_TRUE(Save_Xm(m, path));
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> read((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(read, Encode_Xm(m));
    std::ifstream temporary(path + ".tmp");
    EXPECT_FALSE(temporary.good());
    std::remove(path.c_str());

    EXPECT_FALSE(Save_Xm(m, std::string(RYX_BIN_DIR) + "/no such folder/x.xm"));
}

TEST(Xm_Writer, Degenerate_Modules_Still_Load)
{
    // No orders, no patterns, an order naming a missing pattern, a loop
    // outside its sample: the writer mends them into a valid module.
    Xm_Module m;
    m.channels = 40;
    m.tempo = 999;
    Xm_Instrument ins = Tone(true, 440);
    ins.samples[0].loop_type = 1;
    ins.samples[0].loop_start = 5000;
    ins.samples[0].loop_length = 100;
    m.instruments = {ins};
    Rendered_Module r = Render_Module(Encode_Xm(m));
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(r.channels, 32);
    EXPECT_EQ(r.orders, 1);

    m.patterns.emplace_back(64, 32);
    m.orders = {0, 7};
    const auto b = Encode_Xm(m);
    EXPECT_EQ(b[81], 0);
    r = Render_Module(b);
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.log, "");
}
