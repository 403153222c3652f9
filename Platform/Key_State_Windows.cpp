// Windows: the key state is the system's own GetAsyncKeyState.
#include "Platform/Key_State.h"

#include <windows.h>

namespace Ryx_Platform
{
    std::int16_t System_Key_State(int key) { return static_cast<std::int16_t>(::GetAsyncKeyState(key)); }
}
