// The page's calls into the program. SDL sees no key in a browser
// (Display_Web.cpp keeps it off the keyboard): the page decides which key
// means what, since in full screen the first Escape belongs to the browser,
// and an Escape that answers the warning box must not end the show.
#include <SDL.h>
#include <emscripten.h>
#include "Platform/Keyboard.h"
#include "Platform/Video.h"

// Ends the show as Escape does.
extern "C" EMSCRIPTEN_KEEPALIVE void orvi_press_escape() { Ryx_Platform::Latch_Key_Press(Ryx_Platform::VK_ESCAPE); }

// After the show's main has returned: SDL lets go of the page (its event
// handlers would otherwise keep this instance of the program alive), as a
// native program's exit would. The page starts a new instance to play again.
extern "C" EMSCRIPTEN_KEEPALIVE void orvi_after_show() { SDL_Quit(); }
