// The fuzz build's reporter: counts reports instead of showing them, so a
// run is not flooded and never waits on a box.
#include "Lib/Assertion.h"

namespace Ryx_Lib
{
    unsigned long g_fuzz_reports = 0;

    void Throw_Assertion(const char*, const char*, const char*, std::uint32_t) { ++g_fuzz_reports; }
}
