// Onset detection on a rendered mono signal: band-limited energy in short
// hops, and the rise of each hop's level over the level just before it.
#pragma once
#include <cstdint>
#include <vector>

namespace Ryx_Tools
{
    enum class Band
    {
        Low,
        Snare,
        Clap,
        Voice,
        Upper_Mid,
        Full,
        Hat
    };

    class Onset_Track
    {
    public:
        static constexpr int Hop = 128;  // frames, 2.9 ms at 44 100 Hz

        Onset_Track(const std::vector<float>& mono, Band band);

        // The largest rise (dB) of a hop starting in [from, to) frames, and the
        // level (dBFS) of that hop.
        struct Peak
        {
            double rise_db;
            double level_db;
            std::int64_t frame;
        };
        Peak Strongest(std::int64_t from, std::int64_t to) const;

        // Frames of every hop whose rise is at least `rise_db` with a level of
        // at least `level_db`, one per 40 ms.
        std::vector<std::int64_t> Onsets(double rise_db, double level_db) const;

    private:
        double Rise(std::size_t hop) const;
        std::vector<double> m_energy;  // per hop, mean square
    };
}
