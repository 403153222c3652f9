// The score's vocabulary: channels, the mix table, chords, and the figures
// (pad chords, hats, kicks, bass lines, arpeggios, glitches) that the
// sections of the arrangement are written with.
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
        Ch_Kick, Ch_Snare, Ch_Clap, Ch_Hat, Ch_Open, Ch_Bass, Ch_Stab, Ch_Pad1,
        Ch_Pad2, Ch_Pad3, Ch_Fx, Ch_Shot, Ch_Shot2, Ch_Pulse, Ch_Glitch, Ch_Echo, Ch_Pad4, Ch_Pad5, Ch_Pad6,
        Ch_Lead, Ch_Lead_Echo, Channel_Count
    };

    // The mix: volume column levels (0-64) of each sound at its normal strength.
    namespace Level
    {
        inline constexpr int Kick = 64, Snare = 52, Clap = 40, Hat = 24, Open = 20, Crash = 30, Sweep = 34,
                      Reese = 40, Dark = 46, Stab = 38, Pad = 26, Shot = 48, Pluck = 36, Glitch = 40,
                      Hit = 64;
    }

    constexpr std::uint8_t Key_Off = 97;
    constexpr std::uint8_t Fx_Portamento = 0x03, Fx_Panning = 0x08, Fx_Extended = 0x0E;

    inline std::uint8_t N(int semitone, int octave) { return std::uint8_t(1 + octave * 12 + semitone); }
    inline std::uint8_t Vol(int v) { return std::uint8_t(0x10 + std::clamp(v, 0, 64)); }
    inline const std::uint8_t Drum = N(0, 4);  // drums play at their own rate on C-4

    enum Tone { C = 0, D = 2, E = 4, F = 5, G = 7, A = 9, B = 11 };

    struct Chord
    {
        std::uint8_t bass;                // root, low octave
        std::uint8_t fifth;               // bass fifth above the root
        std::array<std::uint8_t, 3> pad;  // close voicing around A3-F4
        std::uint8_t stab;                // minor stab that fits over the chord
        std::array<std::uint8_t, 4> arp;  // pluck notes: chord tones up high
    };

    inline const Chord Am{N(A, 1), N(E, 2), {N(A, 3), N(C, 4), N(E, 4)}, N(A, 3), {N(A, 4), N(C, 5), N(E, 5), N(A, 5)}};
    inline const Chord Fmaj{N(F, 1), N(C, 2), {N(A, 3), N(C, 4), N(F, 4)}, N(A, 3), {N(F, 4), N(A, 4), N(C, 5), N(E, 5)}};
    inline const Chord Cmaj{N(C, 2), N(G, 2), {N(G, 3), N(C, 4), N(E, 4)}, N(E, 3), {N(G, 4), N(C, 5), N(E, 5), N(G, 5)}};
    inline const Chord Gmaj{N(G, 1), N(D, 2), {N(G, 3), N(B, 3), N(D, 4)}, N(D, 3), {N(G, 4), N(B, 4), N(D, 5), N(G, 5)}};
    inline const Chord Dm{N(D, 2), N(A, 2), {N(A, 3), N(D, 4), N(F, 4)}, N(D, 3), {N(D, 5), N(F, 5), N(A, 5), N(D, 6)}};
    inline const Chord Em{N(E, 1), N(B, 1), {N(G, 3), N(B, 3), N(E, 4)}, N(E, 3), {N(E, 4), N(G, 4), N(B, 4), N(E, 5)}};

    using Progression = std::array<const Chord*, 4>;
    inline const Progression Main{&Am, &Fmaj, &Cmaj, &Gmaj};
    inline const Progression Dark{&Am, &Fmaj, &Dm, &Em};

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
    };


    // Pad chords, one a bar, from `from_bar`; voices glide (tone portamento)
    // instead of retriggering so the slow attack does not pump at every bar.
    // `continuing`: the pad already sounds, glide into the first bar too.
    void Pad_Chords(Writer& w, const Progression& prog, int from_bar, std::array<int, 4> vols, int octave = 0,
                    bool open_voicing = false, bool continuing = false);
    // Closed hats every `step` rows, accents on the beat; an open hat two rows
    // before every `open_every`.
    void Hats(Writer& w, int from, int to, int step, int level, int open_every = 0);
    void Kicks(Writer& w, int from, int to, std::initializer_list<int> in_bar, int vol = Level::Kick);
    // Root on the kick rows, a fifth and an octave on the offbeats.
    void Bass_Follow(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol,
                     std::initializer_list<int> kicks);
    // Roots, fifths and octaves in a sixteen-step figure, a walk-up in the last bar.
    void Bass_Moving(Writer& w, const Progression& prog, int from, int to, std::uint8_t ins, int vol);
    void Arp(Writer& w, const Progression& prog, int from, int to, int step, int vol, int shift = 0);
    // A glitch slice on rows drawn from a fixed-seed stream (every row at 100 %),
    // never the same slice twice running, with retriggers, cuts and delays.
    void Glitches(Writer& w, int from, int to, Synth::Noise& noise, int density_percent, int vol);
}
