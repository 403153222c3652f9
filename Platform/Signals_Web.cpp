// A page gets no signals: the viewer ends the show through the page (its
// stop control and Escape), which presses the show's own Escape.
#include "Platform/Messages.h"

namespace Ryx_Platform
{
    void Post_Quit_On_Signals() {}
    void End_At_Once_On_Signals(bool) {}
    int Get_Quit_Signal() { return 0; }
}
