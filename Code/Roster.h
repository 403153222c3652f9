// The show roster: which scene stands at which of the engine's four indexes,
// built in index order 0, 1, 2, 3 by transfer into the holders.
#pragma once
#include "Code/Effect.h"
#include "Code/Window.h"
#include "Lib/Single.h"

void Build_Roster(Ryx_Vektu::Window* display, Ryx_Lib::Single<Ryx_Vektu::Effect> (&scenes)[4]);
