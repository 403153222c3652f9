#include "Lib/Callback.h"

namespace Ryx_Lib
{
    // Defined here so that the vtable and type information live in the library.
    Callback::~Callback() = default;
}
