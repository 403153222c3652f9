// Float to grid vertex value: scaled by 65535 (not 65536), cut toward zero to
// 64 bits, low 32 bits kept. The grid scenes write every vertex through this.
//
// Converting a non-finite value, or one outside the 64-bit range, is undefined
// in C++; those give 0, so a stray NaN can never decide a pixel.
#pragma once
#include <cmath>
#include <cstdint>

namespace Ryx_Vektu
{
    inline std::int32_t Vertex_Value(double value)
    {
        // A float times 65535 is exact in double: 24 + 16 bits of mantissa.
        double scaled = value * 65535.0;
        if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
            return 0;
        std::uint64_t cut = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled));
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(cut));
    }
}
