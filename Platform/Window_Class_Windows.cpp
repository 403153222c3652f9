// Windows: SDL registers its windows' class under the program's name and
// style, so the main window is of the class the program registered
// ("KQD_Test"), as other programs see it.
#include "Platform/Video.h"

#include <SDL.h>
#include <SDL_main.h>

namespace Ryx_Platform
{
    namespace
    {
        bool s_registered = false;
    }

    void Use_Window_Class(const char* name, unsigned style, void* instance)
    {
        // SDL takes a class name only before its video starts, and only once.
        if (s_registered || Video_Started() || !name)
            return;
        s_registered = SDL_RegisterApp(name, style, instance) == 0;
    }
}
