// The pitched sounds: basses, stab, pads, lead, pluck and the vocal shots.
// Looped sounds hold whole cycles of every voice, so their loops are seamless;
// filtering is done on the harmonics' weights, never on the looped signal.
#include "Tools/Composer/Sounds.h"

#include <cmath>

namespace Ryx_Tools::Sounds
{
    using namespace Synth;

    namespace
    {
        double Hz(double semitones_from_a4) { return 440.0 * std::pow(2.0, semitones_from_a4 / 12.0); }

        double Low_Pass(double f, double corner, double order) { return 1.0 / (1.0 + std::pow(f / corner, order)); }
        double High_Pass(double f, double corner) { return 1.0 / std::sqrt(1.0 + std::pow(corner / f, 4)); }
        double Bump(double f, double centre, double width) { return std::exp(-std::pow((f - centre) / width, 2)); }
    }

    // Two saws a hertz apart over a sine. The saws carry a broad lift around
    // 700 Hz (350 Hz where the bass mostly plays, an octave down): the growl
    // that small speakers reproduce, kept under the stabs' and shots' range.
    Signal Reese(double detune_hz)
    {
        const int n = int(2 * Rate);
        auto growl = [](int, double f) { return Low_Pass(f, 2000, 2) * (1.0 + 1.5 * Bump(f, 700, 400)); };
        Signal a = Additive(
            n, [=](int) { return 110.0 - detune_hz; }, growl, 12000);
        Signal b = Additive(
            n, [=](int) { return 110.0 + detune_hz; }, growl, 12000, 0.37);
        Signal sub = Additive(
            n, [](int) { return 110.0; }, [](int k, double) { return k == 1 ? 1.0 : 0.0; }, 200);
        Signal s = a;
        Mix(s, b, 1.0);
        Mix(s, sub, 1.1);
        Saturate(s, 1.4);
        return s;
    }

    Signal Dark_Bass()
    {
        const int n = 4410;  // eleven cycles of 110 Hz
        return Additive(
            n, [](int) { return 110.0; },
            [](int k, double f) { return k == 1 ? 1.0 : 0.9 * Low_Pass(f, 700, 2) * (1.0 + Bump(f, 550, 250)); }, 3000);
    }

    // A minor chord (A3 C4 E4 A4) of detuned saws behind a closing low-pass.
    Signal Stab(double seconds, double octave, std::uint32_t seed)
    {
        const int n = Frames(seconds);
        Signal s(std::size_t(n), 0.0);
        const double notes[] = {0, 3, 7, 12};
        Noise phases(seed);
        for (double note : notes)
            for (double cents : {-9.0, 8.0})
            {
                const double f = Hz(note - 12 + 12 * octave + cents / 100.0);
                Signal v = Additive(
                    n, [f](int) { return f; }, [](int, double hz) { return 1.0 / (1.0 + std::pow(hz / 2600.0, 2)); },
                    9000, 0.5 + 0.5 * phases.Next());
                Mix(s, v, note == 12 ? 0.5 : 1.0);
            }
        // The low-pass closes over the note: darker tail, bright attack.
        Biquad lp = Biquad::Low_Pass(5000, 0.9);
        for (int t = 0; t < n; ++t)
        {
            if (t % 64 == 0)
                lp.Retune(Biquad::Low_Pass(600 + 4400 * std::exp(-t / (0.08 * Rate)), 0.9));
            s[std::size_t(t)] = lp.Run(s[std::size_t(t)]);
        }
        Fade_Out(s, 0.03);
        return s;
    }

    // Four saws spread around A3, soft above 450 Hz and thinned below 150 Hz:
    // a warm bed that leaves the low end to the kick and the bass, and the
    // mids where the stabs, shots and lead speak to them.
    Signal Pad(std::uint32_t seed, double spread_hz)
    {
        const int n = int(2 * Rate);  // two seconds: whole cycles of every voice
        Signal s(std::size_t(n), 0.0);
        Noise phases(seed);
        for (double offset : {-1.0, -0.5, 0.5, 1.0})
        {
            const double f = 220.0 + offset * spread_hz;
            Signal v = Additive(
                n, [f](int) { return f; }, [](int, double hz) { return Low_Pass(hz, 450, 4) * High_Pass(hz, 150); },
                9000, 0.5 + 0.5 * phases.Next());
            Mix(s, v, 1.0);
        }
        return s;
    }

    // Three hollow, square-like voices within 4 cents (odd harmonics, the even
    // ones faint), rolled off above 3 kHz: a lead that sings over the pads
    // and leaves the claps' and snare's range (1-5 kHz) mostly to them.
    Signal Lead()
    {
        const int n = int(Rate);
        Signal s(std::size_t(n), 0.0);
        Noise phases(1201);
        for (double f : {439.0, 440.0, 441.0})
        {
            Signal v = Additive(
                n, [f](int) { return f; },
                [](int k, double hz) { return (k % 2 ? 1.0 : 0.25) * Low_Pass(hz, 3000, 2); }, 12000,
                0.5 + 0.5 * phases.Next());
            Mix(s, v, 1.0);
        }
        return s;
    }

    Signal Pluck()
    {
        const int n = Frames(0.3);
        Signal s = Additive(
            n, [](int) { return 440.0; }, [](int, double hz) { return 1.0 / (1.0 + std::pow(hz / 3500.0, 2)); }, 12000);
        Decay(s, 0.001, 0.045);
        Signal body = Additive(
            n, [](int) { return 440.0; }, [](int k, double) { return k == 1 ? 1.0 : 0.0; }, 600);
        Decay(body, 0.002, 0.12);
        Mix(s, body, 0.8);
        Fade_Out(s, 0.02);
        return s;
    }

    Signal Vocal(double f0, double f_end, double f1, double f2, double seconds, std::uint32_t seed)
    {
        const int n = Frames(seconds);
        // Two formants over a thinned fundamental: the vowel speaks in the
        // mids and leaves the low end to the kick that follows the shots.
        auto formants = [f1, f2](int, double hz) {
            auto peak = [hz](double centre, double width) { return 1.0 / (1.0 + std::pow((hz - centre) / width, 2)); };
            return (4.0 * (peak(f1, 90) + 0.7 * peak(f2, 110)) + 0.05) * High_Pass(hz, 300);
        };
        Signal s = Additive(
            n, [=](int t) { return f0 + (f_end - f0) * t / n; }, formants, 8000);
        Signal breath = White(n, seed);
        Filter(breath, Biquad::Band_Pass(f2, 4));
        Mix(s, breath, 0.4);
        for (int t = 0; t < n; ++t)
        {
            const double sec = t / Rate;
            s[std::size_t(t)] *= std::min(1.0, sec / 0.008) * std::min(1.0, (seconds - sec) / 0.06);
        }
        return s;
    }
}
