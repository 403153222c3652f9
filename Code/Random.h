// The show's one stream of random numbers, 0 to 32767, never seeded, shared by
// all scenes (the classic C runtime generator: the scenes' maths expects 15 bits).
#pragma once

namespace Ryx_Vektu
{
    int Rand();

    // Back to the stream's first value: for tests and tools that play the
    // show more than once in one process.
    void Restart_Rand();
}
