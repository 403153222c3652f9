#include "Code/Random.h"

#include <cstdint>

namespace Ryx_Vektu
{
    namespace
    {
        std::uint32_t s_state = 1;
    }

    int Rand()
    {
        s_state = s_state * 214013u + 2531011u;
        return static_cast<int>((s_state >> 16) & 0x7FFF);
    }

    void Restart_Rand() { s_state = 1; }
}
