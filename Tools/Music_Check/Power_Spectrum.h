// Where a sound's energy lies: the average power spectrum of a span of a
// mono signal (Hann windows of 4096 frames, half overlapping), its share of
// energy between two frequencies and its centroid; and the frequency of the
// strongest tone in a band, for pitch.
#pragma once
#include <cstdint>
#include <vector>

namespace Ryx_Tools
{
    class Power_Spectrum
    {
    public:
        static constexpr int Size = 4096;  // 10.8 Hz bins at 44 100 Hz

        Power_Spectrum(const std::vector<float>& mono, std::int64_t from, std::int64_t to);

        double Total() const { return m_total; }
        double Share(double low_hz, double high_hz) const;  // 0-1 of the total
        double Centroid() const;                            // Hz, 0 for silence

    private:
        std::vector<double> m_power;  // per bin, 0 to Nyquist
        double m_total = 0;
    };

    // The frequency (Hz) in [low_hz, high_hz] where the span's Hann-windowed
    // spectrum peaks, found to 0.05 Hz by evaluating it directly.
    double Peak_Frequency(const std::vector<float>& mono, std::int64_t from, std::int64_t to, double low_hz,
                          double high_hz);
}
