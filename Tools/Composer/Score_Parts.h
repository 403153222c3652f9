// The score's vocabulary: channels, the mix table, chords, and the figures
// (pad chords, hats, kicks, backbeat, bass lines, arpeggios, glitches) that
// the sections of the arrangement are written with.
#pragma once
#include <algorithm>
#include <array>
#include <initializer_list>

#include "Tools/Composer/Instruments.h"
#include "Tools/Composer/Synth.h"
#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools::Score_Parts
{
    enum Channel
    {
        Ch_Kick,
        Ch_Snare,
        Ch_Clap,
        Ch_Hat,
        Ch_Open,
        Ch_Bass,
        Ch_Stab,
        Ch_Pad1,
        Ch_Pad2,
        Ch_Pad3,
        Ch_Fx,
        Ch_Shot,
        Ch_Shot2,
        Ch_Pulse,
        Ch_Glitch,
        Ch_Echo,
        Ch_Pad4,
        Ch_Pad5,
        Ch_Pad6,
        Ch_Lead,
        Ch_Lead_Echo,
        Ch_Kick2,
        Ch_Snare2,
        Channel_Count
    };
    // One channel plays a full-scale sample at about -13 dBFS at most; the
    // kick and the snare each play on a second channel too (twice as loud),
    // so that drums, not pads, lead the mix. The score writes the first
    // channel; Double copies it.
    inline void Double(Xm_Pattern& p)
    {
        for (int r = 0; r < p.rows; ++r)
        {
            p.At(r, Ch_Kick2) = p.At(r, Ch_Kick);
            p.At(r, Ch_Snare2) = p.At(r, Ch_Snare);
        }
    }
    // The pad: three voices on the left (pad) and the same three on the right
    // (pad wide, detuned its own way), so the chord fills the stereo field;
    // the two instruments carry their side in their samples' panning.
    inline constexpr std::array<int, 6> Pad_Channels{Ch_Pad1, Ch_Pad2, Ch_Pad3, Ch_Pad4, Ch_Pad5, Ch_Pad6};

    // The mix: volume column levels (0-64) of each sound at its normal strength.
    namespace Level
    {
        inline constexpr int Kick = 64, Snare = 44, Pickup = 30, Clap = 44, Hat = 50, Open = 34, Crash = 34, Sweep = 34,
                             Reese = 64, Dark = 48, Stab = 52, Pad = 25, Shot = 60, Pluck = 44, Lead = 36,
                             Lead_Echo = 18, Glitch = 40, Hit = 64;
    }

    constexpr std::uint8_t Key_Off = 97;
    constexpr std::uint8_t Fx_Portamento = 0x03, Fx_Panning = 0x08, Fx_Volume_Slide = 0x0A, Fx_Extended = 0x0E;

    constexpr std::uint8_t N(int semitone, int octave) { return std::uint8_t(1 + octave * 12 + semitone); }
    inline std::uint8_t Vol(int v) { return std::uint8_t(0x10 + std::clamp(v, 0, 64)); }
    inline const std::uint8_t Drum = N(0, 4);  // drums play at their own rate on C-4

    enum Tone
    {
        C = 0,
        D = 2,
        E = 4,
        F = 5,
        G = 7,
        A = 9,
        B = 11
    };

    struct Chord
    {
        std::uint8_t bass;                // root, low octave
        std::uint8_t fifth;               // bass fifth above the root
        std::array<std::uint8_t, 3> pad;  // close voicing around A3-F4
        std::uint8_t stab;                // minor stab that fits over the chord
        std::array<std::uint8_t, 4> arp;  // pluck notes: chord tones up high
    };

    inline const Chord Am{N(A, 1), N(E, 2), {N(A, 3), N(C, 4), N(E, 4)}, N(A, 3), {N(A, 4), N(C, 5), N(E, 5), N(A, 5)}};
    inline const Chord Fmaj{
        N(F, 1), N(C, 2), {N(A, 3), N(C, 4), N(F, 4)}, N(A, 3), {N(F, 4), N(A, 4), N(C, 5), N(E, 5)}};
    inline const Chord Cmaj{
        N(C, 2), N(G, 2), {N(G, 3), N(C, 4), N(E, 4)}, N(E, 3), {N(G, 4), N(C, 5), N(E, 5), N(G, 5)}};
    inline const Chord Gmaj{
        N(G, 1), N(D, 2), {N(G, 3), N(B, 3), N(D, 4)}, N(D, 3), {N(G, 4), N(B, 4), N(D, 5), N(G, 5)}};
    inline const Chord Dm{N(D, 2), N(A, 2), {N(A, 3), N(D, 4), N(F, 4)}, N(D, 3), {N(D, 5), N(F, 5), N(A, 5), N(D, 6)}};
    inline const Chord Em{N(E, 1), N(B, 1), {N(G, 3), N(B, 3), N(E, 4)}, N(E, 3), {N(E, 4), N(G, 4), N(B, 4), N(E, 5)}};

    using Progression = std::array<const Chord*, 4>;
    inline const Progression Main{&Am, &Fmaj, &Cmaj, &Gmaj};  // i VI III VII: the groove
    inline const Progression Dark{&Am, &Fmaj, &Dm, &Em};      // i VI iv v: the darker half
    inline const Progression Lift{&Fmaj, &Gmaj, &Am, &Em};    // VI VII i v: the breakdown of order 12
    inline const Progression Turn{&Fmaj, &Em, &Dm, &Em};      // VI v iv v: order 22 turns strange

    inline const Chord& Bar(const Progression& p, int row) { return *p[std::size_t(row / 16)]; }

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
        void Silence_Pads(int row)
        {
            for (int ch : Pad_Channels)
                p.At(row, ch) = {0, 0, Vol(0), 0, 0};
        }
        // A channel gives way to a kick on this row: it starts a quarter as
        // loud and slides back up over the row (the kick's first 70 ms).
        void Duck(int row, int vol, int ch = Ch_Bass)
        {
            const int up = std::clamp(vol * 3 / 20, 1, 15);
            p.At(row, ch).volume = Vol(vol - 5 * up);
            Effect(row, ch, Fx_Volume_Slide, std::uint8_t(up << 4));
        }
    };

    // Pad chords, one a bar, from `from_bar`, on both sides. Voices glide
    // (tone portamento) from chord to chord; `continuing`: the pad already
    // sounds, glide into the first bar too. With `pump` the pad gives way to
    // the kicks of rows 0 and 10 instead: each bar restarts at a quarter of
    // its level and slides back over the row, as a side-chained pad does.
    void Pad_Chords(Writer& w, const Progression& prog, int from_bar, std::array<int, 4> vols, int octave = 0,
                    bool open_voicing = false, bool continuing = false, bool pump = false);
    // Closed hats every `step` rows, accents on the beat; an open hat two rows
    // before every `open_every`. `shuffle` (0-3) moves the softest hats
    // around, so that bars of the same section do not tick alike. With
    // `backbeat_gap` the hats leave beats two and four to the snare.
    void Hats(Writer& w, int from, int to, int step, int level, int open_every = 0, int shuffle = 0,
              bool backbeat_gap = false);
    void Kicks(Writer& w, int from, int to, std::initializer_list<int> in_bar, int vol = Level::Kick);
    // The groove's snare: a pickup on the cue rows (3 and 11 of each bar)
    // into the backbeat on beats two and four (rows 4 and 12), the backbeat
    // doubled by a clap when `clap` is set.
    void Backbeat(Writer& w, int from, int to, bool clap, int pickup = Level::Pickup);
    // Root on the kick rows, a fifth and an octave on the offbeats.
    void Bass_Follow(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol,
                     std::initializer_list<int> kicks);
    // Roots, fifths and octaves in a sixteen-step figure, a walk-up in the
    // last bar; `figure` (0-2) picks one of three rhythms.
    void Bass_Moving(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol, int figure = 0);
    void Arp(Writer& w, const Progression& prog, int from, int to, int step, int vol, int shift = 0);
    // A glitch slice on rows drawn from a fixed-seed stream (every row at 100 %),
    // never the same slice twice running, with retriggers, cuts and delays.
    void Glitches(Writer& w, int from, int to, Synth::Noise& noise, int density_percent, int vol);
    // Short snare hits on rows 49-57 (odd), falling in pitch like toms, so
    // that the clap, open hat and stab of row 54 stand out between them.
    void Fill(Writer& w);
}
