#include "Rasterizer/Rasterizer.h"

namespace Ryx_Rasterizer
{
    Rasterizer::~Rasterizer() = default;
}
