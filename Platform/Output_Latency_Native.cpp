// A desktop sound card's device buffer is SDL's buffer: nothing more to add.
#include "Platform/Audio_Output.h"

namespace Ryx_Platform
{
    std::uint32_t System_Output_Latency(std::uint32_t) { return 0; }
}
