// The warning box of a failed check: a caption, a text, one OK button, a
// warning sign. Modal for the calling thread; it takes the keyboard focus so
// that Return, Escape or Space answer it on any desktop, and on a bare
// display without a window manager too. One file per system implements it.
#pragma once

namespace Ryx_Platform
{
    // Returns once the box is answered; false at once when no box can be
    // shown here (no display to show it on). A null caption is the system's
    // own, "Error".
    bool Show_Warning_Box(const char* caption, const char* text);
}
