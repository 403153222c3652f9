// The warning box in a browser: the page's own modal box, with the caption,
// the text and one OK button, answered with Return, Escape or a click. The
// program waits for the answer through Asyncify, as a native program waits
// in its box's event loop; the page keeps that Escape from the show.
#include "Platform/Box.h"

#include <emscripten.h>

// 1 once answered; 0 at once where the page has no box (node).
EM_ASYNC_JS(int, Web_Warning_Box, (const char* caption, const char* text), {
    const orvi = Module['orvi'];
    if (!orvi || !orvi['warningBox'])
        return 0;
    await orvi['warningBox'](UTF8ToString(caption), UTF8ToString(text));
    return 1;
});

namespace Ryx_Platform
{
    bool Show_Warning_Box(const char* caption, const char* text)
    {
        return Web_Warning_Box(caption ? caption : "Error", text ? text : "") != 0;
    }
}
