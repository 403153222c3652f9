// X11 and Wayland have no window classes to register: SDL names the windows
// after the program, and the class record stays the platform layer's own.
#include "Platform/Video.h"

namespace Ryx_Platform
{
    void Use_Window_Class(const char*, unsigned, void*) {}
}
