// Onset detection for the music checks.
#include "Tools/Music_Check/Onsets.h"

#include <algorithm>
#include <cmath>

#include "Platform/Audio_Rate.h"
#include "Tools/Composer/Synth.h"

namespace Ryx_Tools
{
    using Synth::Biquad;

    namespace
    {
        double Db(double mean_square) { return 10.0 * std::log10(mean_square + 1e-12); }

        std::vector<Biquad> Filters(Band band)
        {
            switch (band)
            {
            case Band::Low:  // below the snare's body: the kick and the bass
                return {Biquad::Low_Pass(90, 0.7), Biquad::Low_Pass(90, 0.7)};
            case Band::Snare:
                return {Biquad::High_Pass(2000, 0.7), Biquad::High_Pass(2000, 0.7), Biquad::Low_Pass(5500, 0.7)};
            case Band::Clap: return {Biquad::Band_Pass(1300, 1.2), Biquad::Band_Pass(1300, 1.2)};
            case Band::Voice: return {Biquad::Band_Pass(800, 1.0), Biquad::Band_Pass(800, 1.0)};
            case Band::Upper_Mid:  // above the pad, below the hats
                return {Biquad::High_Pass(1200, 0.7), Biquad::High_Pass(1200, 0.7), Biquad::Low_Pass(5000, 0.7)};
            case Band::Hat:  // the hats' own range, above the snare's body
                return {Biquad::High_Pass(7000, 0.7), Biquad::High_Pass(7000, 0.7)};
            case Band::Full: break;
            }
            return {};
        }
    }

    Onset_Track::Onset_Track(const std::vector<float>& mono, Band band)
    {
        std::vector<Biquad> filters = Filters(band);
        const std::size_t hops = mono.size() / Hop;
        m_energy.assign(hops, 0.0);
        for (std::size_t h = 0; h < hops; ++h)
        {
            double sum = 0;
            for (std::size_t i = 0; i < Hop; ++i)
            {
                double x = mono[h * Hop + i];
                for (Biquad& f : filters)
                    x = f.Run(x);
                sum += x * x;
            }
            m_energy[h] = sum / Hop;
        }
    }

    double Onset_Track::Rise(std::size_t hop) const
    {
        // This hop and the next against the hops 12 to 35 ms before.
        // Before the first frame there is silence.
        if (hop + 1 >= m_energy.size())
            return 0;
        double before = 0;
        for (std::size_t h = hop < 12 ? 0 : hop - 12; h + 4 < hop; ++h)
            before += m_energy[h];
        const double now = std::max(m_energy[hop], m_energy[hop + 1]);
        return Db(now) - Db(before / 8);
    }

    Onset_Track::Peak Onset_Track::Strongest(std::int64_t from, std::int64_t to) const
    {
        Peak best{-1e9, -1e9, from};
        const std::int64_t first = std::max<std::int64_t>(0, from / Hop);
        const std::int64_t last = std::min<std::int64_t>(std::int64_t(m_energy.size()), (to + Hop - 1) / Hop);
        for (std::int64_t h = first; h < last; ++h)
        {
            const double rise = Rise(std::size_t(h));
            if (rise > best.rise_db)
                best = {
                    rise,
                    Db(std::max(m_energy[std::size_t(h)],
                                m_energy[std::size_t(h) + 1 < m_energy.size() ? std::size_t(h) + 1 : std::size_t(h)])),
                    h * Hop};
        }
        return best;
    }

    std::vector<std::int64_t> Onset_Track::Onsets(double rise_db, double level_db) const
    {
        std::vector<std::int64_t> found;
        const std::size_t spacing = std::size_t(0.04 * Ryx_Platform::Audio_Rate / Hop);
        for (std::size_t h = 12; h + 1 < m_energy.size(); ++h)
        {
            const double rise = Rise(h);
            if (rise < rise_db || Db(std::max(m_energy[h], m_energy[h + 1])) < level_db)
                continue;
            // The strongest hop of this onset.
            std::size_t best = h;
            for (std::size_t k = h; k < std::min(m_energy.size() - 1, h + spacing); ++k)
                if (Rise(k) > Rise(best))
                    best = k;
            found.push_back(std::int64_t(best) * Hop);
            h = best + spacing;
        }
        return found;
    }
}
