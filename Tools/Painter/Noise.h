// Noise that tiles: gradient noise on a lattice whose indices wrap, fractal
// sums of it with doubling periods, and cellular (nearest feature point)
// patterns over wrapping cells. Coordinates u, v run over [0, 1) for one tile,
// so every function here repeats exactly at u + 1 and v + 1. Pure functions of
// their arguments and seed: the same call gives the same value on every run.
#pragma once
#include <cstdint>

namespace Ryx_Painter
{
    std::uint32_t Hash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0);
    // Uniform in [0, 1).
    float Hash01(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0);

    // About -1 to 1; x, y in lattice units, wrapping every period cells.
    float Gradient_Noise(float x, float y, int period_x, int period_y, std::uint32_t seed);

    // Octaves of gradient noise, cells doubling each octave from base_cells
    // across the tile, amplitude times gain each octave; about -1 to 1.
    float Fractal_Noise(float u, float v, int base_cells, int octaves, float gain, std::uint32_t seed);
    // Sharp creases where the noise crosses zero: 0 to 1, bright on the ridges.
    float Ridged_Noise(float u, float v, int base_cells, int octaves, float gain, std::uint32_t seed);

    struct Cell_Sample
    {
        float f1 = 0;          // distance to the nearest feature point, in cell units
        float f2 = 0;          // distance to the second nearest
        std::uint32_t id = 0;  // hash of the nearest point's cell: a stable colour key
        float dx = 0, dy = 0;  // offset from the nearest point, in cell units
    };
    // cells x cells feature points over the tile, one jittered point per cell.
    Cell_Sample Cellular(float u, float v, int cells, std::uint32_t seed, float jitter = 0.9f);
}
