// The composer: the form and the cue rows of the score as written, the
// groove's backbeat and ducking, the hook, the synthesis toolkit, and the
// onset and spectrum measures the music check relies on.
#include <gtest/gtest.h>

#include "Tools/Composer/Instruments.h"
#include "Tools/Composer/Score.h"
#include "Tools/Composer/Synth.h"
#include "Tools/Module_Render/Module_Render.h"
#include "Tools/Composer/Score_Parts.h"
#include "Tools/Music_Check/Onsets.h"
#include "Tools/Music_Check/Power_Spectrum.h"

#include <chrono>
#include <cmath>
#include <set>

using namespace Ryx_Tools;

namespace
{
    const Xm_Module& Song()
    {
        static const Xm_Module song = Compose();
        return song;
    }

    const Xm_Pattern& Order(int order) { return Song().patterns[Song().orders[std::size_t(order)]]; }

    // Rows of an order where some channel strikes `instrument` (a note, not a key off).
    std::set<int> Rows_Of(int order, int instrument, int from = 0, int to = 64)
    {
        std::set<int> rows;
        const Xm_Pattern& p = Order(order);
        for (int r = from; r < to; ++r)
            for (int ch = 0; ch < p.channels; ++ch)
                if (p.At(r, ch).instrument == instrument && p.At(r, ch).note && p.At(r, ch).note < 97)
                    rows.insert(r);
        return rows;
    }

    std::set<int> Every(int modulus, std::initializer_list<int> residues, int from = 0, int to = 64)
    {
        std::set<int> rows;
        for (int r = from; r < to; ++r)
            for (int k : residues)
                if (r % modulus == k)
                    rows.insert(r);
        return rows;
    }

    bool Contains(const std::set<int>& all, const std::set<int>& part)
    {
        return std::includes(all.begin(), all.end(), part.begin(), part.end());
    }
}

TEST(Composer, Form_Is_37_Orders_Of_64_Rows_At_Speed_6_Tempo_171)
{
    const Xm_Module& m = Song();
    EXPECT_EQ(m.speed, 6);
    EXPECT_EQ(m.tempo, 171);
    EXPECT_LE(m.channels, 32);
    ASSERT_GE(m.orders.size(), 37u);
    for (std::uint8_t o : m.orders)
    {
        ASSERT_LT(o, m.patterns.size());
        EXPECT_EQ(m.patterns[o].rows, 64);
    }
    // Nothing may change the row timing: no speed, tempo, jump, break,
    // pattern loop or pattern delay.
    for (std::size_t pi = 0; pi < m.patterns.size(); ++pi)
        for (const Xm_Cell& c : m.patterns[pi].cells)
        {
            const bool timing = c.effect == 0x0F || c.effect == 0x0B || c.effect == 0x0D ||
                (c.effect == 0x0E && ((c.parameter >> 4) == 0x6 || (c.parameter >> 4) == 0xE));
            ASSERT_FALSE(timing) << "pattern " << pi;
            ASSERT_LE(c.note, 97);
            ASSERT_LE(c.instrument, m.instruments.size());
            ASSERT_TRUE(c.volume == 0 || (c.volume >= 0x10 && c.volume <= 0x50) || c.volume >= 0x60);
        }
    // Order 36 is a silent tail.
    for (const Xm_Cell& c : Order(36).cells)
        EXPECT_EQ(c.note, 0);
}

TEST(Composer, Same_Bytes_Every_Time_Small_And_Quick)
{
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::uint8_t> a = Encode_Xm(Compose());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(a, Encode_Xm(Song()));
    EXPECT_LT(a.size(), 4u << 20);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(seconds, 5.0);  // the build runs it every time the composer changes
#else
    (void)seconds;
#endif
}

TEST(Composer, Instruments_Are_16_Bit_With_Loops_Inside_Their_Samples)
{
    const std::vector<Xm_Instrument>& all = Song().instruments;
    ASSERT_EQ(all.size(), std::size_t(Instrument_Count));
    for (const Xm_Instrument& ins : all)
    {
        ASSERT_FALSE(ins.samples.empty()) << ins.name;
        for (const Xm_Sample& s : ins.samples)
        {
            EXPECT_TRUE(s.sixteen_bit) << ins.name;
            EXPECT_GT(s.data.size(), 500u) << ins.name;
            EXPECT_LE(std::uint64_t(s.loop_start) + s.loop_length, s.data.size()) << ins.name;
        }
    }
    // The sustained sounds loop; the hits do not.
    for (int looped : {Bass_Bright, Bass_Dark, Pad, Pad_Wide, Lead})
        EXPECT_EQ(all[std::size_t(looped - 1)].samples[0].loop_type, 1) << looped;
    for (int once : {Kick, Snare, Clap, Stab, Shot_Ah, Shot_Oh, Big_Hit})
        EXPECT_EQ(all[std::size_t(once - 1)].samples[0].loop_type, 0) << once;
    // A sound that is not looped ends at silence: no click where it stops,
    // even in players that do not ramp.
    for (const Xm_Instrument& ins : all)
        for (const Xm_Sample& s : ins.samples)
            if (s.loop_type == 0)
            {
                EXPECT_LE(std::abs(int(s.data.back())), 330) << ins.name;
            }
    // Stereo: hats and shots sit off centre, the pad's two sides on either side.
    EXPECT_NE(all[Hat_Closed - 1].samples[0].panning, 128);
    EXPECT_NE(all[Shot_Ah - 1].samples[0].panning, all[Shot_Oh - 1].samples[0].panning);
    EXPECT_LT(all[Pad - 1].samples[0].panning, 0x40);
    EXPECT_GT(all[Pad_Wide - 1].samples[0].panning, 0xC0);
}

TEST(Composer, Score_Puts_The_Cues_On_Their_Rows)
{
    for (int r = 0; r < 64; r += 4)
        EXPECT_TRUE(Rows_Of(0, Pluck).count(r)) << "order 0 pulse " << r;
    for (int r = 0; r < 64; r += 2)
        EXPECT_TRUE(Rows_Of(1, Pluck).count(r)) << "order 1 pulse " << r;

    // The hole: nothing starts in order 2, rows 3-11.
    const Xm_Pattern& hole = Order(2);
    for (int r = 3; r < 12; ++r)
        for (int ch = 0; ch < hole.channels; ++ch)
            EXPECT_TRUE(hole.At(r, ch).note == 0 || hole.At(r, ch).note == 97) << r;

    for (int o = 4; o <= 7; ++o)
    {
        const int end = o == 7 ? 59 : 64;
        EXPECT_EQ(Rows_Of(o, Kick), Every(16, {0, 10}, 0, end)) << o;
        std::set<int> hits = Rows_Of(o, Stab);
        for (int r : Rows_Of(o, Shot_Ah))
            hits.insert(r);
        const std::set<int> expected = o == 7 ? std::set<int>{0, 10} : std::set<int>{0, 10, 16, 26, 32, 42, 48, 58};
        EXPECT_EQ(hits, expected) << o;
        EXPECT_TRUE(Rows_Of(o, Sweep).count(1)) << o;
        EXPECT_TRUE(Rows_Of(o, Kick, 59).empty()) << o;
    }

    for (int o = 10; o <= 21; ++o)
    {
        const int from = o == 12 ? 27 : 0;
        EXPECT_TRUE(Contains(Rows_Of(o, Snare), Every(8, {3}, from))) << o;
        EXPECT_TRUE(Contains(Rows_Of(o, Stab), Every(32, {22}, from))) << o;
        if (o >= 14)
        {
            EXPECT_EQ(Rows_Of(o, Kick), Every(16, {0, 10})) << o;
        }
    }
    for (int o : {11, 13})
        EXPECT_TRUE(Contains(Rows_Of(o, Snare), {49, 51, 53, 55, 57})) << o;
    // The breakdown: no drums before row 27 of order 12.
    for (int drum : {Kick, Snare, Clap, Hat_Closed, Hat_Open})
        EXPECT_TRUE(Rows_Of(12, drum, 0, 27).empty()) << drum;

    for (int o = 22; o <= 29; ++o)
        EXPECT_TRUE(Contains(Rows_Of(o, Clap), Every(8, {3}))) << o;
    EXPECT_EQ(Rows_Of(22, Big_Hit), (std::set<int>{36, 45, 54}));
    EXPECT_EQ(Rows_Of(23, Big_Hit), (std::set<int>{36, 44}));
    EXPECT_TRUE(Contains(Rows_Of(23, Snare), {60, 61, 62, 63}));

    // The drum section and the stutter, row for row.
    for (int o : {30, 31})
    {
        EXPECT_EQ(Rows_Of(o, Kick), Every(32, {0, 10, 16, 23})) << o;
        EXPECT_EQ(Rows_Of(o, Snare), o == 30 ? Every(32, {3, 13, 20, 26}) : Every(32, {6, 13, 20, 26})) << o;
        EXPECT_EQ(Rows_Of(o, Shot_Ah), Every(32, {7, 15, 19, 29})) << o;
        EXPECT_EQ(Rows_Of(o, Shot_Oh), Every(32, {9, 31})) << o;
        for (int other : {Clap, Bass_Bright, Bass_Dark, Stab, Pad, Pluck, Glitch, Big_Hit})
            EXPECT_TRUE(Rows_Of(o, other).empty()) << o << " " << other;
    }
    EXPECT_EQ(Rows_Of(32, Kick), (std::set<int>{0, 17, 24, 29}));
    EXPECT_EQ(Rows_Of(32, Snare), (std::set<int>{4, 13, 18, 22, 27, 30}));
    EXPECT_EQ(Rows_Of(32, Shot_Ah), (std::set<int>{10, 14, 16, 19, 21, 25, 31}));
    EXPECT_EQ(Rows_Of(32, Clap), (std::set<int>{12, 15, 20, 23, 26, 28}));
}

TEST(Composer, Glitch_Section_Changes_Sound_Every_Row)
{
    for (int o : {24, 25})
    {
        const Xm_Pattern& p = Order(o);
        int previous = -1;
        for (int r = 0; r < 64; ++r)
        {
            int slice = -1;
            for (int ch = 0; ch < p.channels; ++ch)
                if (p.At(r, ch).instrument == Glitch)
                    slice = p.At(r, ch).note;
            ASSERT_NE(slice, -1) << o << ":" << r;
            EXPECT_NE(slice, previous) << o << ":" << r;
            previous = slice;
        }
    }
}

TEST(Synth, Tuning_Noise_And_Filters)
{
    // Middle C recorded at 44 100 Hz: the format's relative note 29, finetune -28.
    Xm_Sample s;
    Synth::Tune(s, 261.6255653);
    EXPECT_EQ(s.relative_note, 29);
    EXPECT_EQ(s.finetune, -28);
    Synth::Tune(s, 220.0);  // one octave and a minor third lower: 29 + 3 semitones
    EXPECT_EQ(s.relative_note, 32);
    EXPECT_EQ(s.finetune, -28);

    const Synth::Signal a = Synth::White(1000, 7), b = Synth::White(1000, 7), c = Synth::White(1000, 8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_LE(Synth::Peak(a), 1.0);

    // A band-pass passes its centre at full level and rejects a decade away.
    auto gain = [](Synth::Biquad f, double hz) {
        double peak = 0;
        for (int t = 0; t < Synth::Rate; ++t)
        {
            const double y = f.Run(std::sin(2 * Synth::Pi * hz * t / Synth::Rate));
            if (t > 22050)
                peak = std::max(peak, std::fabs(y));
        }
        return peak;
    };
    EXPECT_NEAR(gain(Synth::Biquad::Band_Pass(1000, 2), 1000), 1.0, 0.01);
    EXPECT_LT(gain(Synth::Biquad::Band_Pass(1000, 2), 100), 0.06);

    // Band-limited: a saw at 5 kHz has only its first three harmonics below 20 kHz.
    const Synth::Signal saw = Synth::Additive(
        4410, [](int) { return 5000.0; }, [](int, double) { return 1.0; }, 20000);
    double expected = 0;
    for (int k = 1; k <= 3; ++k)
        expected += std::sin(2 * Synth::Pi * k * 5000.0 * 100 / Synth::Rate) / k;
    EXPECT_NEAR(saw[100], expected, 1e-9);

    const std::vector<std::int16_t> pcm = Synth::To_Pcm({0.0, 0.5, -1.0}, 0.5);
    EXPECT_EQ(pcm, (std::vector<std::int16_t>{0, 8192, -16384}));
}

TEST(Onsets, Finds_Clicks_Where_They_Are_And_Nowhere_Else)
{
    // Decaying tone bursts at known frames over quiet noise.
    std::vector<float> mono(44100 * 2, 0.0f);
    Synth::Noise noise(3);
    for (float& v : mono)
        v = float(0.001 * noise.Next());
    const std::vector<std::int64_t> at{5000, 20000, 23000, 60000};  // 68 ms apart: closer than a row
    for (std::int64_t start : at)
        for (int t = 0; t < 3000; ++t)
            mono[std::size_t(start + t)] += float(0.5 * std::exp(-t / 400.0) * std::sin(t * 0.3));
    const Onset_Track track(mono, Band::Full);
    const std::vector<std::int64_t> found = track.Onsets(9.0, -50.0);
    ASSERT_EQ(found.size(), at.size());
    for (std::size_t i = 0; i < at.size(); ++i)
        EXPECT_NEAR(double(found[i]), double(at[i]), 2.0 * Onset_Track::Hop) << i;
    EXPECT_GT(track.Strongest(19000, 21000).rise_db, 20.0);
    EXPECT_LT(track.Strongest(30000, 50000).rise_db, 6.0);
    // A burst at the first frame counts: silence lies before the song.
    std::vector<float> first(mono);
    for (int t = 0; t < 3000; ++t)
        first[std::size_t(t)] += float(0.5 * std::exp(-t / 400.0) * std::sin(t * 0.3));
    EXPECT_GT(Onset_Track(first, Band::Full).Strongest(0, 1000).rise_db, 20.0);
}

namespace
{
    // Power of `hz` in a span of a mono render (Goertzel).
    double Power(const std::vector<float>& stereo, std::size_t from, std::size_t n, double hz)
    {
        const double k = 2 * std::cos(2 * Synth::Pi * hz / Synth::Rate);
        double s1 = 0, s2 = 0;
        for (std::size_t i = from; i < from + n; ++i)
        {
            const double x = 0.5 * (stereo[2 * i] + stereo[2 * i + 1]);
            const double s0 = x + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return s1 * s1 + s2 * s2 - k * s1 * s2;
    }

    // One note of one of the show's instruments, rendered by libopenmpt.
    std::vector<float> Play(int instrument, std::uint8_t note)
    {
        Xm_Module m;
        m.channels = 2;
        m.tempo = 171;
        m.instruments = Song().instruments;
        Xm_Pattern p(64, 2);
        p.At(0, 0) = {note, std::uint8_t(instrument), 0x50, 0, 0};
        m.patterns.push_back(p);
        m.orders = {0};
        return Render_Module(Encode_Xm(m)).samples;
    }
}

TEST(Composer, Instruments_Sound_At_The_Pitch_Of_Their_Notes)
{
    const double semitone = std::pow(2.0, 1.0 / 12.0);
    struct Case
    {
        int instrument;
        std::uint8_t note;
        double hz;
    };
    // A-1 = 22, A-2 = 34, A-3 = 46, A-4 = 58.
    for (const Case& c : {Case{Bass_Dark, 22, 55.0}, Case{Bass_Dark, 34, 110.0}, Case{Bass_Bright, 22, 55.0},
                          Case{Bass_Bright, 34, 110.0}, Case{Pad, 46, 220.0}, Case{Pad_Wide, 46, 220.0},
                          Case{Pluck, 58, 440.0}, Case{Pluck, 61, 523.25}, Case{Lead, 65, 659.26}})
    {
        const std::vector<float> s = Play(c.instrument, c.note);
        const std::size_t from = 2000, n = 44100;  // one second: 1 Hz apart, finer than a semitone at 55 Hz
        const double at = Power(s, from, n, c.hz);
        EXPECT_GT(at, 10 * Power(s, from, n, c.hz * semitone)) << c.instrument << " " << int(c.note);
        EXPECT_GT(at, 10 * Power(s, from, n, c.hz / semitone)) << c.instrument << " " << int(c.note);
    }
    // The stab is a minor chord: C over A, not C sharp.
    const std::vector<float> stab = Play(Stab, 46);
    EXPECT_GT(Power(stab, 500, 6000, 261.63), 4 * Power(stab, 500, 6000, 277.18));
}

TEST(Composer, Groove_Has_A_Backbeat_And_The_Bass_Gives_Way_To_The_Kick)
{
    // A snare on beats two and four of every bar where the drums play; the
    // fills of orders 11 and 13 take the place of row 52, the big hits of
    // orders 22 and 23 that of rows 36 and 44.
    for (int o = 10; o <= 29; ++o)
        for (int r = o == 12 ? 27 : 0; r < 64; ++r)
            if (r % 8 == 4 && !((o == 11 || o == 13) && r == 52) && !((o == 22 || o == 23) && (r == 36 || r == 44)))
            {
                EXPECT_TRUE(Rows_Of(o, Snare).count(r)) << o << ":" << r;
            }
    // Where kick and bass start together, the bass starts low and slides up.
    int ducked = 0;
    for (int o = 4; o <= 21; ++o)
        for (int r : Rows_Of(o, Kick))
        {
            const Xm_Cell& bass = Order(o).At(r, Score_Parts::Ch_Bass);
            if (bass.note == 0 || bass.note == 97)
                continue;
            EXPECT_TRUE(bass.volume >= 0x10 && bass.volume < 0x10 + 32 && bass.effect == 0x0A && bass.parameter >= 0x10)
                << o << ":" << r;
            ++ducked;
        }
    EXPECT_GT(ducked, 100);
}

TEST(Composer, Drop_Brings_The_Hook_Which_Returns_Varied)
{
    using Score_Parts::Ch_Lead;
    auto notes = [](int o) {
        std::vector<std::pair<int, int>> line;
        for (int r = 0; r < 64; ++r)
            if (const Xm_Cell& c = Order(o).At(r, Ch_Lead); c.note && c.note < 97)
                line.emplace_back(r, c.note);
        return line;
    };
    for (int o = 0; o < 10; ++o)
        EXPECT_TRUE(notes(o).empty()) << o;
    // The drop lands with kick, bass and crash together on its first row.
    for (int ins : {Kick, Bass_Bright, Crash})
        EXPECT_TRUE(Rows_Of(10, ins).count(0)) << ins;
    // The same rhythm in its first bar at the drop, at order 14 and order 26;
    // never the same notes.
    const std::set<int> cell{0, 3, 6, 10, 12};
    for (int o : {10, 14, 26})
    {
        std::set<int> first_bar;
        for (auto [r, n] : notes(o))
            if (r < 16)
                first_bar.insert(r);
        EXPECT_TRUE(Contains(first_bar, cell)) << o;
    }
    EXPECT_NE(notes(10), notes(14));
    EXPECT_NE(notes(10), notes(26));
    EXPECT_NE(notes(14), notes(26));
    // Orders 12 and 22 bring chords of their own: their pad notes at the bar
    // starts differ from the loops around them.
    auto chords = [](int o) {
        std::vector<int> pad;
        for (int r = 0; r < 64; r += 16)
            pad.push_back(Order(o).At(r, Score_Parts::Ch_Pad3).note);
        return pad;
    };
    EXPECT_NE(chords(12), chords(11));
    EXPECT_NE(chords(12), chords(13));
    EXPECT_NE(chords(22), chords(21));
    EXPECT_NE(chords(22), chords(23));
}

TEST(Power_Spectrum, Finds_A_Tone_Its_Band_And_Its_Pitch)
{
    // A 1 kHz tone over faint noise, and a decaying tone at 55.3 Hz.
    std::vector<float> tone(44100), low(44100);
    Synth::Noise noise(5);
    for (std::size_t t = 0; t < tone.size(); ++t)
    {
        tone[t] = float(0.5 * std::sin(2 * Synth::Pi * 1000.0 * double(t) / Synth::Rate) + 0.001 * noise.Next());
        low[t] = float(std::exp(-double(t) / 8000.0) * std::sin(2 * Synth::Pi * 55.3 * double(t) / Synth::Rate));
    }
    const Power_Spectrum s(tone, 0, 44100);
    EXPECT_GT(s.Share(900, 1100), 0.99);
    EXPECT_NEAR(s.Centroid(), 1000.0, 30.0);
    EXPECT_EQ(Power_Spectrum(std::vector<float>(8192, 0.0f), 0, 8192).Centroid(), 0.0);
    EXPECT_NEAR(Peak_Frequency(low, 2000, 12000, 40, 75), 55.3, 0.3);
}
