// The page's calls into the program. SDL sees no key in a browser
// (Display_Web.cpp keeps it off the keyboard): the page decides which key
// means what, since in full screen the first Escape belongs to the browser,
// and an Escape that answers the warning box must not end the show.
#include <SDL.h>
#include <emscripten.h>
#include <cstdint>
#include "Platform/Bass.h"
#include "Platform/Keyboard.h"
#include "Platform/Video.h"

// Ends the show as Escape does.
extern "C" EMSCRIPTEN_KEEPALIVE void orvi_press_escape() { Ryx_Platform::Latch_Key_Press(Ryx_Platform::VK_ESCAPE); }

// After the show's main has returned: SDL lets go of the page (its event
// handlers would otherwise keep this instance of the program alive), as a
// native program's exit would. The page starts a new instance to play again.
extern "C" EMSCRIPTEN_KEEPALIVE void orvi_after_show() { SDL_Quit(); }

// Seconds of the music heard so far: where the page's tests look for a scene.
extern "C" EMSCRIPTEN_KEEPALIVE double orvi_heard_seconds()
{
    return double(Ryx_Platform::Audio_Frames_Played()) / 44100.0;
}

// The heard row's measure (Tests/Web/Page/heard_rows.mjs): frames of this
// play handed to the sound card so far, read right after each of its pulls,
// and the row (order | row << 16) of a frame.
extern "C" EMSCRIPTEN_KEEPALIVE double orvi_frames_pulled() { return double(Ryx_Platform::Audio_Frames_Pulled()); }
extern "C" EMSCRIPTEN_KEEPALIVE std::uint32_t orvi_position_at(double frame)
{
    return Ryx_Platform::Audio_Position_At(frame < 0 ? 0 : std::uint64_t(frame));
}
