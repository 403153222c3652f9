// A value computed in double and stored as float, as the scenes store every
// value: the rounding that makes a frame the same bytes in every build.
//
// Converting to float and widening again is never a no-op, yet GCC 12 at -O2
// drops the pair when its vectoriser packs two such values into one vector
// (a turned point then used the unrounded sine). The empty asm statement
// hands the rounded float over as an opaque value, which no optimiser can
// trace back to the double; it costs no instruction.
#pragma once

namespace Ryx_Vektu
{
    inline float To_Float(double value)
    {
        float stored = static_cast<float>(value);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__SSE_MATH__))
        __asm__("" : "+x"(stored));
#elif defined(__GNUC__) && defined(__aarch64__)
        __asm__("" : "+w"(stored));
#elif defined(__GNUC__)
        __asm__("" : "+m"(stored));
#else
        volatile float opaque = stored;
        stored = opaque;
#endif
        return stored;
    }
}
