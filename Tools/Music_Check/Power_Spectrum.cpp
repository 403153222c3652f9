// Power spectra for the music check: an in-place radix-2 FFT, nothing else.
#include "Tools/Music_Check/Power_Spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "Platform/Audio_Rate.h"

namespace Ryx_Tools
{
    namespace
    {
        constexpr double Rate = Ryx_Platform::Audio_Rate;
        constexpr double Pi = 3.14159265358979323846;

        void Fft(std::vector<std::complex<double>>& a)
        {
            const std::size_t n = a.size();
            for (std::size_t i = 1, j = 0; i < n; ++i)
            {
                std::size_t bit = n >> 1;
                for (; j & bit; bit >>= 1)
                    j ^= bit;
                j ^= bit;
                if (i < j)
                    std::swap(a[i], a[j]);
            }
            for (std::size_t len = 2; len <= n; len <<= 1)
            {
                const double angle = -2 * Pi / double(len);
                for (std::size_t i = 0; i < n; i += len)
                    for (std::size_t k = 0; k < len / 2; ++k)
                    {
                        const std::complex<double> w(std::cos(angle * double(k)), std::sin(angle * double(k)));
                        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                        a[i + k] = u + v;
                        a[i + k + len / 2] = u - v;
                    }
            }
        }

        double Hann(std::size_t i, std::size_t n) { return 0.5 - 0.5 * std::cos(2 * Pi * double(i) / double(n)); }
    }

    Power_Spectrum::Power_Spectrum(const std::vector<float>& mono, std::int64_t from, std::int64_t to)
        : m_power(Size / 2 + 1, 0.0)
    {
        from = std::max<std::int64_t>(0, from);
        to = std::min<std::int64_t>(std::int64_t(mono.size()), to);
        std::vector<std::complex<double>> a(Size);
        // Windows cover the span; the last one may hang over its end (zeros).
        for (std::int64_t start = from; start < to; start += Size / 2)
        {
            for (std::size_t i = 0; i < std::size_t(Size); ++i)
            {
                const std::int64_t f = start + std::int64_t(i);
                a[i] = f < to ? double(mono[std::size_t(f)]) * Hann(i, Size) : 0.0;
            }
            Fft(a);
            for (std::size_t k = 0; k < m_power.size(); ++k)
                m_power[k] += std::norm(a[k]);
        }
        for (double p : m_power)
            m_total += p;
    }

    double Power_Spectrum::Share(double low_hz, double high_hz) const
    {
        if (m_total <= 0)
            return 0;
        double sum = 0;
        for (std::size_t k = 0; k < m_power.size(); ++k)
        {
            const double hz = double(k) * Rate / Size;
            if (hz >= low_hz && hz < high_hz)
                sum += m_power[k];
        }
        return sum / m_total;
    }

    double Power_Spectrum::Centroid() const
    {
        if (m_total <= 0)
            return 0;
        double sum = 0;
        for (std::size_t k = 0; k < m_power.size(); ++k)
            sum += m_power[k] * double(k) * Rate / Size;
        return sum / m_total;
    }

    double Peak_Frequency(const std::vector<float>& mono, std::int64_t from, std::int64_t to, double low_hz,
                          double high_hz)
    {
        from = std::max<std::int64_t>(0, from);
        to = std::min<std::int64_t>(std::int64_t(mono.size()), to);
        const std::size_t n = std::size_t(std::max<std::int64_t>(0, to - from));
        double best = low_hz, best_power = -1;
        for (double hz = low_hz; hz <= high_hz; hz += 0.05)
        {
            // Goertzel at an arbitrary frequency.
            const double c = 2 * std::cos(2 * Pi * hz / Rate);
            double s1 = 0, s2 = 0;
            for (std::size_t i = 0; i < n; ++i)
            {
                const double s0 = double(mono[std::size_t(from) + i]) * Hann(i, n) + c * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
            if (power > best_power)
            {
                best_power = power;
                best = hz;
            }
        }
        return best;
    }
}
