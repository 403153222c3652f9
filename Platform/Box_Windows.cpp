// Windows: the system's own warning box, MessageBoxA with no owner, the single
// OK button and the warning sign; a null caption is the system's "Error". It
// takes the keyboard focus itself, so Return, Escape and Space answer it.
#include "Platform/Box.h"

#include <windows.h>

namespace Ryx_Platform
{
    bool Show_Warning_Box(const char* caption, const char* text)
    {
        return MessageBoxA(nullptr, text, caption, MB_ICONWARNING | MB_OK | MB_SETFOREGROUND) != 0;
    }
}
