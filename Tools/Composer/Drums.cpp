// The drum sounds. Levels inside each sound are set by ear for the roles the
// mix gives them: the kick carries the low end and a click for small
// speakers, the snare its crack at 2-5 kHz, the hats live at 5-12 kHz.
#include "Tools/Composer/Sounds.h"

#include <algorithm>
#include <cmath>

namespace Ryx_Tools::Sounds
{
    using namespace Synth;

    Signal Kick()
    {
        const int n = Frames(0.42);
        Signal s(static_cast<std::size_t>(n));
        // The body starts at its crest and is strongest in its first cycles:
        // the kick is heard, and its low end rises most steeply, at its row
        // (the show's flashes in the drum section are timed against that).
        double phase = 0.25;
        for (int t = 0; t < n; ++t)
        {
            const double sec = t / Rate;
            // Falls from 100 Hz to A1 within about 50 ms, then holds A1.
            const double f = 55.0 + 45.0 * std::exp(-sec / 0.022);
            phase += f / Rate;
            const double body = std::exp(-sec / 0.2) * (1.0 + 0.8 * std::exp(-sec / 0.006));
            s[std::size_t(t)] = std::sin(2 * Pi * phase) * body;
        }
        // Saturation rounds the body towards a square: harmonics at 165 and
        // 275 Hz that small speakers can play, more weight for the same peak.
        Saturate(s, 2.6);
        // The beater: a 3.2 kHz tick in a breath of noise, 9 ms, added after
        // the saturation so that it neither clips nor takes the body's headroom.
        Signal click = White(Frames(0.015), 101);
        Filter(click, Biquad::High_Pass(1800, 0.7));
        Filter(click, Biquad::Low_Pass(9000, 0.7));
        for (std::size_t t = 0; t < click.size(); ++t)
            click[t] = 0.2 * click[t] + 0.8 * std::sin(2 * Pi * 3200.0 * double(t) / Rate);
        Decay(click, 0.0002, 0.009);
        // The body follows the beater by a millisecond: their peaks do not add.
        s.insert(s.begin(), std::size_t(Frames(0.001)), 0.0);
        Mix(s, click, 0.9);
        Fade_Out(s, 0.03);
        return s;
    }

    Signal Snare()
    {
        const int n = Frames(0.3);
        // Two shell modes, the lower one dropping a little as it rings.
        Signal tone = Additive(
            n, [](int t) { return 240.0 - 20.0 * std::min(1.0, t / (0.04 * Rate)); },
            [](int k, double) { return k == 1 ? 1.0 : (k == 2 ? 0.5 : 0.0); }, 1000);
        Decay(tone, 0.0005, 0.05);
        Signal crack = White(n, 202);
        Filter(crack, Biquad::Band_Pass(3400, 0.9));
        Filter(crack, Biquad::Band_Pass(3400, 0.9));
        Decay(crack, 0.0005, 0.07);
        Signal tail = White(n, 203);
        Filter(tail, Biquad::High_Pass(1500, 0.7));
        Filter(tail, Biquad::Low_Pass(6500, 0.7));
        Decay(tail, 0.001, 0.09);
        Signal s = tone;
        Mix(s, crack, 5.0);
        Mix(s, tail, 1.4);
        Saturate(s, 2.6);
        Filter(s, Biquad::Low_Pass(9000, 0.7));
        Fade_Out(s, 0.03);
        return s;
    }

    Signal Clap()
    {
        const int n = Frames(0.3);
        Signal raw = White(n, 303);
        Signal s(std::size_t(n), 0.0);
        for (int t = 0; t < n; ++t)
        {
            const double sec = t / Rate;
            double env = 0.55 * std::exp(-(sec - 0.032) / 0.05) * (sec > 0.032);
            for (int burst = 0; burst < 4; ++burst)
            {
                const double at = burst * 0.0105;
                if (sec >= at)
                    env = std::max(env, std::exp(-(sec - at) / 0.0035));
            }
            s[std::size_t(t)] = raw[std::size_t(t)] * env;
        }
        Filter(s, Biquad::Band_Pass(1500, 1.0));
        Filter(s, Biquad::High_Pass(800, 0.7));
        Saturate(s, 2.0);
        Fade_Out(s, 0.03);
        return s;
    }

    Signal Hat(double seconds, double tau, std::uint32_t seed)
    {
        const int n = Frames(seconds);
        Signal s = White(n, seed);
        // Inharmonic squares give the metal its ring at the strike; they die
        // away faster than the noise, so long hats and crashes do not whistle.
        const double partials[] = {3150, 4530, 5870, 6610, 7220, 8340, 9470, 10120};
        const double ring = std::min(tau, 0.04);
        for (int t = 0; t < n; ++t)
        {
            double m = 0;
            for (double f : partials)
                m += std::sin(2 * Pi * f * t / Rate) > 0 ? 0.07 : -0.07;
            s[std::size_t(t)] += m * std::exp(-t / (ring * Rate));
        }
        // High-passed near 5 kHz, the very top softened: the energy sits at 6-10 kHz.
        Filter(s, Biquad::High_Pass(5000, 0.7));
        Filter(s, Biquad::High_Pass(5000, 0.7));
        Filter(s, Biquad::Low_Pass(11000, 0.7));
        Saturate(s, 1.8);  // a lower crest: noise peaks cost headroom, not loudness
        Decay(s, 0.0004, tau);
        Fade_Out(s, std::min(0.02, seconds / 4));
        return s;
    }

    Signal Crash()
    {
        Signal s = Hat(1.8, 0.55, 404);
        Signal body = White(Frames(1.8), 405);
        Filter(body, Biquad::High_Pass(3500, 0.7));
        Decay(body, 0.002, 0.5);
        Mix(s, body, 0.6);
        Fade_Out(s, 0.3);
        return s;
    }

    // Noise through a band-pass rising from 300 Hz to 9 kHz, growing louder:
    // two bars at C-4, four bars (an octave lower) at C-3.
    Signal Sweep()
    {
        const int n = Frames(32 * 0.087619);
        Signal raw = White(n, 505);
        Signal s = Signal(std::size_t(n));
        Biquad band = Biquad::Band_Pass(300, 2.0);
        for (int t = 0; t < n; ++t)
        {
            const double x = double(t) / n;
            if (t % 64 == 0)
                band.Retune(Biquad::Band_Pass(300.0 * std::pow(30.0, x), 2.0));
            s[std::size_t(t)] = band.Run(raw[std::size_t(t)]) * (0.15 + 0.85 * x * x);
        }
        Decay(s, 0.05, 100.0);
        Fade_Out(s, 0.01);
        return s;
    }
}
