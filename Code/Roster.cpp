// The show roster: the opening string figure, the tunnel, the warp and the
// closing string figure, built in index order 0 to 3.
#include "Code/Roster.h"

#include "Code/Attractor_1.h"
#include "Code/Line_Part.h"
#include "Code/Line_Part_2.h"
#include "Code/Tunnel.h"

using namespace Ryx_Vektu;

void Build_Roster(Window* display, Ryx_Lib::Single<Effect> (&scenes)[4])
{
    Line_Part_Setup opening = {0, 500, 0xFF121F16};
    scenes[0] = Create_Line_Part(display, opening);
    scenes[1] = Create_Tunnel(display);
    scenes[2] = Create_Attractor_1(display);
    Line_Part_Setup closing = {1, 1500, 0xFF065179};
    scenes[3] = Create_Line_Part_2(display, closing);
}
