// The composer's sound toolkit.
#include "Tools/Composer/Synth.h"

#include <algorithm>
#include <cmath>

namespace Ryx_Tools::Synth
{
    Biquad Biquad::Low_Pass(double hz, double q)
    {
        const double w = 2 * Pi * hz / Rate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
        Biquad b;
        const double a0 = 1 + alpha;
        b.m_b0 = (1 - c) / 2 / a0;
        b.m_b1 = (1 - c) / a0;
        b.m_b2 = (1 - c) / 2 / a0;
        b.m_a1 = -2 * c / a0;
        b.m_a2 = (1 - alpha) / a0;
        return b;
    }

    Biquad Biquad::High_Pass(double hz, double q)
    {
        const double w = 2 * Pi * hz / Rate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
        Biquad b;
        const double a0 = 1 + alpha;
        b.m_b0 = (1 + c) / 2 / a0;
        b.m_b1 = -(1 + c) / a0;
        b.m_b2 = (1 + c) / 2 / a0;
        b.m_a1 = -2 * c / a0;
        b.m_a2 = (1 - alpha) / a0;
        return b;
    }

    Biquad Biquad::Band_Pass(double hz, double q)
    {
        const double w = 2 * Pi * hz / Rate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
        Biquad b;
        const double a0 = 1 + alpha;
        b.m_b0 = alpha / a0;
        b.m_b1 = 0;
        b.m_b2 = -alpha / a0;
        b.m_a1 = -2 * c / a0;
        b.m_a2 = (1 - alpha) / a0;
        return b;
    }

    double Biquad::Run(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

    void Biquad::Retune(const Biquad& other)
    {
        m_b0 = other.m_b0;
        m_b1 = other.m_b1;
        m_b2 = other.m_b2;
        m_a1 = other.m_a1;
        m_a2 = other.m_a2;
    }

    Signal White(int frames, std::uint32_t seed)
    {
        Noise noise(seed);
        Signal s = Signal(std::size_t(frames));
        for (double& v : s)
            v = noise.Next();
        return s;
    }

    void Filter(Signal& s, Biquad filter)
    {
        for (double& v : s)
            v = filter.Run(v);
    }

    Signal Additive(int frames, const std::function<double(int)>& hz, const std::function<double(int, double)>& weight,
                    double ceiling, double start_phase)
    {
        Signal s(std::size_t(frames), 0.0);
        double phase = start_phase;  // in cycles
        // The harmonics' amplitudes, worked out again only when the pitch moves.
        std::vector<double> amplitude;
        double amplitude_f = -1;
        for (int t = 0; t < frames; ++t)
        {
            const double f = hz(t);
            if (f != amplitude_f)
            {
                amplitude.clear();
                for (int k = 1; k * f < ceiling; ++k)
                    amplitude.push_back(weight(k, f * k) / k);
                amplitude_f = f;
            }
            const double angle = 2 * Pi * phase;
            // sin(k a) by the Chebyshev recurrence: one sine and one cosine a frame.
            const double twice_cos = 2 * std::cos(angle);
            double previous = 0, current = std::sin(angle), sum = 0;
            for (double a : amplitude)
            {
                sum += a * current;
                const double next = twice_cos * current - previous;
                previous = current;
                current = next;
            }
            s[std::size_t(t)] = sum;
            phase += f / Rate;
            phase -= std::floor(phase);
        }
        return s;
    }

    void Decay(Signal& s, double attack, double tau)
    {
        const double attack_frames = std::max(1.0, attack * Rate);
        for (std::size_t t = 0; t < s.size(); ++t)
        {
            const double a = std::min(1.0, double(t) / attack_frames);
            s[t] *= a * std::exp(-double(t) / (tau * Rate));
        }
    }

    void Mix(Signal& into, const Signal& s, double gain, int offset)
    {
        if (into.size() < s.size() + std::size_t(offset))
            into.resize(s.size() + std::size_t(offset), 0.0);
        for (std::size_t t = 0; t < s.size(); ++t)
            into[t + std::size_t(offset)] += gain * s[t];
    }

    double Peak(const Signal& s)
    {
        double p = 0;
        for (double v : s)
            p = std::max(p, std::fabs(v));
        return p;
    }

    void Saturate(Signal& s, double drive)
    {
        const double p = Peak(s);
        if (p <= 0)
            return;
        for (double& v : s)
            v = std::tanh(v / p * drive);
    }

    void Fade_Out(Signal& s, double seconds)
    {
        const std::size_t n = std::min(s.size(), std::size_t(Frames(seconds)));
        for (std::size_t i = 0; i < n; ++i)
            s[s.size() - 1 - i] *= 0.5 - 0.5 * std::cos(Pi * double(i) / double(n));
    }

    std::vector<std::int16_t> To_Pcm(const Signal& s, double peak)
    {
        const double p = Peak(s);
        const double scale = p > 0 ? peak * 32767.0 / p : 0.0;
        std::vector<std::int16_t> out(s.size());
        for (std::size_t t = 0; t < s.size(); ++t)
            out[t] = std::int16_t(std::lround(std::clamp(s[t] * scale, -32767.0, 32767.0)));
        return out;
    }

    void Tune(Xm_Sample& sample, double hz)
    {
        // Rate at C-4 is 8363 * 2^(transpose / 12); it must play `hz` as 261.63 Hz.
        const double transpose = 12.0 * std::log2(261.6255653 * Rate / (hz * 8363.0));
        int note = int(std::lround(transpose));
        int fine = int(std::lround((transpose - note) * 128.0));
        if (fine > 127)
        {
            fine -= 128;
            ++note;
        }
        if (fine < -128)
        {
            fine += 128;
            --note;
        }
        sample.relative_note = std::int8_t(note);
        sample.finetune = std::int8_t(fine);
    }
}
