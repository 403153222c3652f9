// The instruments: the sounds of Drums.cpp and Tones.cpp as samples, tuned so
// that note names sound at their pitch (drums play at their own rate on C-4),
// with their loops, envelopes and panning. Each sound has its own noise seed,
// so changing one never changes another.
#include "Tools/Composer/Instruments.h"

#include <algorithm>
#include <cmath>

#include "Tools/Composer/Sounds.h"

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

        Xm_Sample Looped(Xm_Sample s)
        {
            s.loop_type = 1;
            s.loop_start = 0;
            s.loop_length = std::uint32_t(s.data.size());
            return s;
        }

        Xm_Sample Panned(Xm_Sample s, std::uint8_t pan)
        {
            s.panning = pan;
            return s;
        }

        // Key-off release shape: attack, hold at the sustain point, fall.
        Xm_Envelope Sustained(std::uint16_t attack, std::uint16_t hold_value, std::uint16_t release)
        {
            Xm_Envelope e;
            e.on = true;
            e.points = {{0, attack ? 0 : 64},
                        {std::uint16_t(std::max<int>(attack, 1)), 64},
                        {std::uint16_t(attack + 8), hold_value},
                        {std::uint16_t(attack + 8 + release), 0}};
            e.sustain = 2;
            return e;
        }

        double Rms(const Signal& s)
        {
            double sum = 0;
            for (double v : s)
                sum += v * v;
            return std::sqrt(sum / double(std::max<std::size_t>(1, s.size())));
        }

        // The pad's two sides: the same chord, detuned and panned each its own
        // way, scaled to the same loudness so that the chord sits in the middle.
        Xm_Instrument Pad_Instrument(const std::string& name, const Signal& s, const Signal& other, std::uint8_t pan)
        {
            const double density = Rms(s) / Peak(s), other_density = Rms(other) / Peak(other);
            const double peak = 0.95 * std::min(1.0, other_density / density);
            Xm_Instrument pad = One_Sample(name, Panned(Looped(Make_Sample(name, s, 220.0, peak)), pan));
            pad.volume_envelope = Sustained(10, 56, 30);
            pad.fadeout = 0x200;
            return pad;
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

        // The stab chord an octave apart, over the kick and a crash wash.
        Signal Big_Hit_Signal(const Signal& kick)
        {
            Signal hit = Sounds::Stab(1.2, 0, 1111);
            Mix(hit, Sounds::Stab(1.2, -1, 1112), 0.7);
            Decay(hit, 0.001, 0.45);
            Mix(hit, kick, Peak(hit) * 0.9);
            Mix(hit, Sounds::Crash(), Peak(hit) * 0.5);
            Fade_Out(hit, 0.2);
            return hit;
        }
    }

    std::vector<Xm_Instrument> Make_Instruments()
    {
        std::vector<Xm_Instrument> all;
        const Signal kick = Sounds::Kick();
        const Signal snare = Sounds::Snare();
        const Signal stab = Sounds::Stab(0.4, 0, 808);

        all.push_back(One_Sample("kick", Make_Sample("kick", kick, Middle_C)));
        all.push_back(One_Sample("snare", Make_Sample("snare", snare, Middle_C)));
        all.push_back(One_Sample("clap", Make_Sample("clap", Sounds::Clap(), Middle_C)));
        all.push_back(
            One_Sample("closed hat", Panned(Make_Sample("closed hat", Sounds::Hat(0.07, 0.016, 909), Middle_C), 0x68)));
        all.push_back(
            One_Sample("open hat", Panned(Make_Sample("open hat", Sounds::Hat(0.4, 0.11, 910), Middle_C), 0x98)));
        all.push_back(One_Sample("crash", Make_Sample("crash", Sounds::Crash(), Middle_C)));
        all.push_back(One_Sample("sweep", Make_Sample("sweep", Sounds::Sweep(), Middle_C)));

        Xm_Instrument reese = One_Sample("reese bass", Looped(Make_Sample("reese", Sounds::Reese(0.5), 110.0)));
        reese.volume_envelope = Sustained(0, 44, 4);
        all.push_back(reese);
        Xm_Instrument dark = One_Sample("dark bass", Looped(Make_Sample("dark bass", Sounds::Dark_Bass(), 110.0)));
        dark.volume_envelope = Sustained(1, 52, 6);
        all.push_back(dark);

        all.push_back(One_Sample("stab", Make_Sample("stab", stab, Hz(-12))));
        const Signal pad_left = Sounds::Pad(606, 1.0), pad_right = Sounds::Pad(607, 1.5);
        all.push_back(Pad_Instrument("pad", pad_left, pad_right, 0x18));
        all.push_back(One_Sample(
            "shot ah", Panned(Make_Sample("shot ah", Sounds::Vocal(220, 196, 700, 1220, 0.16, 1001), Hz(-14)), 0x40)));
        all.push_back(One_Sample(
            "shot oh", Panned(Make_Sample("shot oh", Sounds::Vocal(175, 165, 450, 800, 0.16, 1002), Hz(-17)), 0xC0)));
        all.push_back(One_Sample("pluck", Make_Sample("pluck", Sounds::Pluck(), 440.0)));
        all.push_back(Glitch_Kit(kick, snare, stab));
        all.push_back(One_Sample("big hit", Make_Sample("big hit", Big_Hit_Signal(kick), Hz(-12))));
        all.push_back(Pad_Instrument("pad wide", pad_right, pad_left, 0xE8));

        Xm_Instrument lead = One_Sample("lead", Looped(Make_Sample("lead", Sounds::Lead(), 440.0)));
        lead.volume_envelope = Sustained(1, 44, 5);  // a tick of attack: no click, no stacked peak
        lead.vibrato_type = 0;                       // a slow-starting sine vibrato: the held notes sing
        lead.vibrato_sweep = 40;
        lead.vibrato_depth = 3;
        lead.vibrato_rate = 22;
        all.push_back(lead);
        return all;
    }
}
