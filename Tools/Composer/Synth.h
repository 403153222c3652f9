// The composer's sound toolkit: a fixed-seed noise source, biquad filters,
// additive (band-limited) oscillators and the conversion to 16-bit samples.
// Everything is plain double arithmetic with no clocks or machine state, so
// the same build always writes the same bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "Platform/Audio_Rate.h"
#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools::Synth
{
    constexpr double Rate = Ryx_Platform::Audio_Rate;  // the samples', as the show plays
    constexpr double Pi = 3.14159265358979323846;

    using Signal = std::vector<double>;

    inline int Frames(double seconds) { return int(seconds * Rate + 0.5); }

    // xorshift32: one stream per sound, each with its own seed.
    class Noise
    {
    public:
        explicit Noise(std::uint32_t seed) : m_state(seed ? seed : 1u) {}
        double Next()  // uniform in [-1, 1)
        {
            m_state ^= m_state << 13;
            m_state ^= m_state >> 17;
            m_state ^= m_state << 5;
            return double(m_state) / 2147483648.0 - 1.0;
        }

    private:
        std::uint32_t m_state;
    };

    // Direct form I biquad with the usual cookbook coefficients.
    class Biquad
    {
    public:
        static Biquad Low_Pass(double hz, double q);
        static Biquad High_Pass(double hz, double q);
        static Biquad Band_Pass(double hz, double q);  // 0 dB peak gain
        double Run(double x);
        // New coefficients, same state: a filter that moves without clicks.
        void Retune(const Biquad& other);

    private:
        double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
        double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
    };

    Signal White(int frames, std::uint32_t seed);
    void Filter(Signal& s, Biquad filter);

    // Sum of harmonics k * phase with amplitudes weight(k, hz) / k (a saw when
    // weight is 1), stopping below `ceiling` Hz so nothing aliases. `hz(t)`
    // gives the fundamental at frame t; `start_phase` is in cycles.
    Signal Additive(int frames, const std::function<double(int)>& hz, const std::function<double(int, double)>& weight,
                    double ceiling, double start_phase = 0);

    // Multiplies by exp(-t / tau) (tau in seconds) after a linear attack.
    void Decay(Signal& s, double attack, double tau);
    void Mix(Signal& into, const Signal& s, double gain, int offset = 0);
    double Peak(const Signal& s);
    // tanh saturation after scaling the peak to `drive`: more harmonics and a
    // denser body for the same peak. The result peaks at tanh(drive).
    void Saturate(Signal& s, double drive);
    // A raised-cosine fade to zero over the last `seconds`: no click where
    // the sample stops, in players that do not ramp.
    void Fade_Out(Signal& s, double seconds);

    // Scales to `peak` of full scale and rounds to 16-bit.
    std::vector<std::int16_t> To_Pcm(const Signal& s, double peak = 0.95);

    // Relative note and finetune so that the tracker's note names sound at
    // their pitch for a sample recorded at 44 100 Hz whose tone is `hz`
    // (middle C, 261.63 Hz, makes C-4 play the sample at its own rate).
    void Tune(Xm_Sample& sample, double hz);
}
