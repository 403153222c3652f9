// Synthesises the instruments. Pitched sounds are tuned so that note names
// sound at their pitch; drums play at their own rate on C-4. Each sound has
// its own noise seed, so changing one never changes another.
#include "Tools/Composer/Instruments.h"

#include <algorithm>
#include <cmath>

#include "Tools/Composer/Synth.h"

namespace Ryx_Tools
{
    using namespace Synth;

    namespace
    {
        constexpr double Middle_C = 261.6255653;

        double Hz(double semitones_from_a4) { return 440.0 * std::pow(2.0, semitones_from_a4 / 12.0); }

        Xm_Sample Make_Sample(const std::string& name, const Signal& s, double hz, double peak = 0.95)
        {
            Xm_Sample sample;
            sample.name = name;
            sample.data = To_Pcm(s, peak);
            Tune(sample, hz);
            return sample;
        }

        Xm_Instrument One_Sample(const std::string& name, Xm_Sample sample)
        {
            Xm_Instrument ins;
            ins.name = name;
            ins.samples.push_back(std::move(sample));
            return ins;
        }

        void Loop_All(Xm_Sample& s)
        {
            s.loop_type = 1;
            s.loop_start = 0;
            s.loop_length = std::uint32_t(s.data.size());
        }

        // Key-off release shape: attack, hold at the sustain point, fall.
        Xm_Envelope Sustained(std::uint16_t attack, std::uint16_t hold_value, std::uint16_t release)
        {
            Xm_Envelope e;
            e.on = true;
            e.points = {{0, attack ? 0 : 64}, {std::uint16_t(std::max<int>(attack, 1)), 64},
                        {std::uint16_t(attack + 8), hold_value}, {std::uint16_t(attack + 8 + release), 0}};
            e.sustain = 2;
            return e;
        }

        Signal Kick_Signal()
        {
            const int n = Frames(0.42);
            Signal s = Signal(std::size_t(n));
            double phase = 0;
            for (int t = 0; t < n; ++t)
            {
                const double sec = t / Rate;
                const double f = 45.0 + 105.0 * std::exp(-sec / 0.035);  // 150 Hz down to 45 Hz
                phase += f / Rate;
                s[std::size_t(t)] = std::sin(2 * Pi * phase) * std::exp(-sec / 0.16);
            }
            Signal click = White(Frames(0.0015), 101);
            Filter(click, Biquad::Band_Pass(3000, 0.8));
            Decay(click, 0.0002, 0.0006);
            Mix(s, click, 1.6);
            Decay(s, 0.0005, 10.0);
            return s;
        }

        Signal Snare_Signal()
        {
            const int n = Frames(0.32);
            Signal tone = Additive(n, [](int t) { return 190.0 - 20.0 * std::min(1.0, t / (0.05 * Rate)); },
                                   [](int k, double) { return k == 1 ? 1.0 : (k == 2 ? 0.4 : 0.0); }, 1000);
            Decay(tone, 0.0005, 0.045);
            Signal noise = White(n, 202);
            Filter(noise, Biquad::High_Pass(1000, 0.7));
            Filter(noise, Biquad::Low_Pass(6500, 0.7));
            Decay(noise, 0.0008, 0.085);
            Signal s = tone;
            Mix(s, noise, 2.2);
            return s;
        }

        Signal Clap_Signal()
        {
            const int n = Frames(0.3);
            Signal raw = White(n, 303);
            Signal s(std::size_t(n), 0.0);
            for (int t = 0; t < n; ++t)
            {
                const double sec = t / Rate;
                double env = 0.55 * std::exp(-(sec - 0.032) / 0.07) * (sec > 0.032);
                for (int burst = 0; burst < 4; ++burst)
                {
                    const double at = burst * 0.0105;
                    if (sec >= at)
                        env = std::max(env, std::exp(-(sec - at) / 0.0035));
                }
                s[std::size_t(t)] = raw[std::size_t(t)] * env;
            }
            Filter(s, Biquad::Band_Pass(1300, 1.1));
            Filter(s, Biquad::High_Pass(700, 0.7));
            return s;
        }

        Signal Hat_Signal(double seconds, double tau, std::uint32_t seed)
        {
            const int n = Frames(seconds);
            Signal s = White(n, seed);
            // A few inharmonic squares give the metal its ring.
            const double partials[] = {3150, 4530, 5870, 7220, 8340};
            for (int t = 0; t < n; ++t)
            {
                double m = 0;
                for (double f : partials)
                    m += std::sin(2 * Pi * f * t / Rate) > 0 ? 0.12 : -0.12;
                s[std::size_t(t)] += m;
            }
            Filter(s, Biquad::High_Pass(7000, 0.7));
            Filter(s, Biquad::High_Pass(7000, 0.7));
            Decay(s, 0.0004, tau);
            return s;
        }

        Signal Crash_Signal()
        {
            Signal s = Hat_Signal(1.8, 0.55, 404);
            Signal body = White(Frames(1.8), 405);
            Filter(body, Biquad::High_Pass(3500, 0.7));
            Decay(body, 0.002, 0.5);
            Mix(s, body, 0.6);
            return s;
        }

        // Noise through a band-pass rising from 300 Hz to 9 kHz, growing louder:
        // two bars at C-4, four bars (an octave lower) at C-3.
        Signal Sweep_Signal()
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
            // End without a click.
            for (int t = 0; t < 400; ++t)
                s[std::size_t(n - 1 - t)] *= t / 400.0;
            return s;
        }

        // Two saws beating a hertz apart over a sine: a one-second loop holds a
        // whole number of cycles of each.
        Xm_Sample Reese_Bass()
        {
            const int n = int(Rate);
            Signal a = Additive(n, [](int) { return 110.0; },
                                [](int, double f) { return 1.0 / std::sqrt(1.0 + std::pow(f / 900.0, 4)); }, 12000);
            Signal b = Additive(n, [](int) { return 111.0; },
                                [](int, double f) { return 1.0 / std::sqrt(1.0 + std::pow(f / 900.0, 4)); }, 12000, 0.37);
            Signal sub = Additive(n, [](int) { return 110.0; }, [](int k, double) { return k == 1 ? 1.0 : 0.0; }, 200);
            Signal s = a;
            Mix(s, b, 1.0);
            Mix(s, sub, 1.4);
            Xm_Sample sample = Make_Sample("reese", s, 110.5);
            Loop_All(sample);
            return sample;
        }

        Xm_Sample Dark_Bass()
        {
            const int n = 4410;  // eleven cycles of 110 Hz
            Signal s = Additive(n, [](int) { return 110.0; },
                                [](int k, double) { return k == 1 ? 1.0 : k == 2 ? 0.5 : k == 3 ? 0.25 : 0.0; }, 1000);
            Xm_Sample sample = Make_Sample("dark bass", s, 110.0);
            Loop_All(sample);
            return sample;
        }

        // A minor chord (A3 C4 E4) of detuned saws behind a closing low-pass.
        Signal Stab_Signal(double seconds, double octave, std::uint32_t seed)
        {
            const int n = Frames(seconds);
            Signal s(std::size_t(n), 0.0);
            const double notes[] = {0, 3, 7, 12};
            Noise phases(seed);
            for (double note : notes)
                for (double cents : {-9.0, 8.0})
                {
                    const double f = Hz(note - 12 + 12 * octave + cents / 100.0);
                    Signal v = Additive(n, [f](int) { return f; },
                                        [](int, double hz) { return 1.0 / (1.0 + std::pow(hz / 2600.0, 2)); },
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
            return s;
        }

        Signal Pad_Signal()
        {
            const int n = int(2 * Rate);  // two seconds: whole cycles of every voice
            Signal s(std::size_t(n), 0.0);
            Noise phases(606);
            for (double f : {220.0, 220.5, 219.5, 221.0, 110.0})
            {
                Signal v = Additive(n, [f](int) { return f; },
                                    [](int, double hz) { return 1.0 / (1.0 + std::pow(hz / 900.0, 3)); }, 9000,
                                    0.5 + 0.5 * phases.Next());
                Mix(s, v, f == 110.0 ? 0.5 : 1.0);
            }
            return s;
        }

        Signal Vocal_Signal(double f0, double f_end, double f1, double f2, double seconds, std::uint32_t seed)
        {
            const int n = Frames(seconds);
            auto formants = [f1, f2](int, double hz) {
                auto peak = [hz](double centre, double width) { return 1.0 / (1.0 + std::pow((hz - centre) / width, 2)); };
                return 4.0 * (peak(f1, 90) + 0.7 * peak(f2, 110)) + 0.05;
            };
            Signal s = Additive(n, [=](int t) { return f0 + (f_end - f0) * t / n; }, formants, 8000);
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

        Signal Pluck_Signal()
        {
            const int n = Frames(0.3);
            Signal s = Additive(n, [](int) { return 440.0; },
                                [](int, double hz) { return 1.0 / (1.0 + std::pow(hz / 2500.0, 2)); }, 12000);
            Decay(s, 0.001, 0.045);
            Signal body = Additive(n, [](int) { return 440.0; }, [](int k, double) { return k == 1 ? 1.0 : 0.0; }, 600);
            Decay(body, 0.002, 0.12);
            Mix(s, body, 0.8);
            return s;
        }

        Xm_Instrument Glitch_Kit(const Signal& kick, const Signal& snare, const Signal& stab)
        {
            Xm_Instrument ins;
            ins.name = "glitch";
            std::vector<Signal> slices;
            slices.emplace_back(kick.begin() + Frames(0.01), kick.begin() + Frames(0.05));
            Signal crushed = White(Frames(0.03), 707);
            for (std::size_t t = 0; t < crushed.size(); ++t)
                crushed[t] = crushed[t - t % 11];  // sample-and-hold at 4 kHz
            slices.push_back(crushed);
            Signal blip = Signal(std::size_t(Frames(0.05)));
            for (std::size_t t = 0; t < blip.size(); ++t)
                blip[t] = std::sin(2 * Pi * 880 * double(t) / Rate) > 0 ? 0.6 : -0.6;
            slices.push_back(blip);
            Signal grain(stab.begin() + Frames(0.02), stab.begin() + Frames(0.06));
            for (std::size_t t = 0; t < grain.size(); ++t)
                grain[t] = std::round(grain[t] / Peak(stab) * 6) / 6;  // a few levels only
            slices.push_back(grain);
            Signal chirp = Signal(std::size_t(Frames(0.025)));
            for (std::size_t t = 0; t < chirp.size(); ++t)
            {
                const double sec = double(t) / Rate;
                chirp[t] = std::sin(2 * Pi * (3000 * sec - 50000 * sec * sec));
            }
            slices.push_back(chirp);
            Signal reversed(snare.rbegin() + std::ptrdiff_t(snare.size()) - Frames(0.06), snare.rend());
            slices.push_back(reversed);
            for (int i = 0; i < Glitch_Slices; ++i)
            {
                Signal& s = slices[std::size_t(i)];
                for (int t = 0; t < 60 && t < int(s.size()); ++t)
                    s[s.size() - 1 - std::size_t(t)] *= t / 60.0;  // no click at the cut
                // Note Glitch_Base + i plays slice i at its own rate.
                ins.samples.push_back(Make_Sample("slice", s, Middle_C * std::pow(2.0, i / 12.0), 0.8));
                ins.keymap[Glitch_Base - 1 + i] = std::uint8_t(i);
            }
            return ins;
        }
    }

    std::vector<Xm_Instrument> Make_Instruments()
    {
        std::vector<Xm_Instrument> all;
        const Signal kick = Kick_Signal();
        const Signal snare = Snare_Signal();
        const Signal stab = Stab_Signal(0.4, 0, 808);

        all.push_back(One_Sample("kick", Make_Sample("kick", kick, Middle_C)));
        all.push_back(One_Sample("snare", Make_Sample("snare", snare, Middle_C)));
        all.push_back(One_Sample("clap", Make_Sample("clap", Clap_Signal(), Middle_C)));
        Xm_Sample closed = Make_Sample("closed hat", Hat_Signal(0.06, 0.012, 909), Middle_C);
        closed.panning = 0x60;
        all.push_back(One_Sample("closed hat", closed));
        Xm_Sample open = Make_Sample("open hat", Hat_Signal(0.4, 0.11, 910), Middle_C);
        open.panning = 0xA8;
        all.push_back(One_Sample("open hat", open));
        all.push_back(One_Sample("crash", Make_Sample("crash", Crash_Signal(), Middle_C)));
        all.push_back(One_Sample("sweep", Make_Sample("sweep", Sweep_Signal(), Middle_C)));

        Xm_Instrument reese = One_Sample("reese bass", Reese_Bass());
        reese.volume_envelope = Sustained(0, 44, 4);
        all.push_back(reese);
        Xm_Instrument dark = One_Sample("dark bass", Dark_Bass());
        dark.volume_envelope = Sustained(1, 52, 6);
        all.push_back(dark);

        all.push_back(One_Sample("stab", Make_Sample("stab", stab, Hz(-12))));

        Xm_Sample pad_sample = Make_Sample("pad", Pad_Signal(), 220.0);
        Loop_All(pad_sample);
        Xm_Instrument pad = One_Sample("pad", pad_sample);
        pad.volume_envelope = Sustained(28, 56, 30);
        pad.fadeout = 0x200;
        all.push_back(pad);

        Xm_Sample ah = Make_Sample("shot ah", Vocal_Signal(220, 196, 700, 1220, 0.16, 1001), Hz(-14));
        ah.panning = 0x58;
        all.push_back(One_Sample("shot ah", ah));
        Xm_Sample oh = Make_Sample("shot oh", Vocal_Signal(175, 165, 450, 800, 0.16, 1002), Hz(-17));
        oh.panning = 0xA8;
        all.push_back(One_Sample("shot oh", oh));

        all.push_back(One_Sample("pluck", Make_Sample("pluck", Pluck_Signal(), 440.0)));
        all.push_back(Glitch_Kit(kick, snare, stab));

        Signal hit = Stab_Signal(1.2, 0, 1111);
        Mix(hit, Stab_Signal(1.2, -1, 1112), 0.7);
        Decay(hit, 0.001, 0.45);
        Signal low = kick;
        Mix(hit, low, Peak(hit) * 0.9);
        Signal wash = Crash_Signal();
        Mix(hit, wash, Peak(hit) * 0.5);
        all.push_back(One_Sample("big hit", Make_Sample("big hit", hit, Hz(-12))));
        return all;
    }
}
