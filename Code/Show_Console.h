// The show's lines on the console: one when it starts, one when it ends,
// nothing in between (a frame prints nothing).
#pragma once
#include <string>
#include "Code/Engine.h"

// How the show ended, as the entry point saw it.
struct Show_Outcome
{
    Ryx_Vektu::Show_End end = Ryx_Vektu::Show_End::Not_Ended;  // when Run returned
    bool quit = false;                                         // a quit message left the show instead
    bool window_closed = false;                                // ... posted by closing the window
    int signal = 0;                                            // ... posted by this signal
    int code = 0;                                              // the exit code
};

// Data folder (the working folder), sound or silence, calm or the flash
// warning, and how to end it.
std::string Start_Line(bool nosound, bool calm, const std::string& sound_device);
// Why it ended and the exit status; for a module that cannot play, what to do.
std::string End_Line(const Show_Outcome& outcome);
