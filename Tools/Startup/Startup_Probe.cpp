// Preloaded into demo (LD_PRELOAD), it stands in for the platform's play call,
// which a preloaded library may do, makes the real call, and at the first one
// prints how long the program took from its start (the platform's clock
// starts with it) to the music's first frame: every picture loaded.
#include <cstdio>
#include <dlfcn.h>
#include "Platform/Bass.h"
#include "Platform/Clock.h"

namespace Ryx_Platform
{
    BOOL BASS_MusicPlay(HMUSIC handle)
    {
        using Play = BOOL (*)(HMUSIC);
        static const Play s_play = reinterpret_cast<Play>(dlsym(RTLD_NEXT, "_ZN12Ryx_Platform14BASS_MusicPlayEj"));
        static bool s_reported = false;
        BOOL played = s_play ? s_play(handle) : 0;
        if (!s_reported)
        {
            s_reported = true;
            std::fprintf(stderr, "startup: %u ms from the program's start to the music's first frame\n",
                         static_cast<unsigned>(timeGetTime()));
        }
        return played;
    }
}
