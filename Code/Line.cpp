// Placeholder line: draws nothing.
#include "Code/Line.h"

namespace Ryx_Vektu
{
    void Draw_AA_Line(Window*, std::uint32_t, float, float, float, float) {}
}
