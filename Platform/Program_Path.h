// Where the running program's own file is, so that it can find what was
// installed beside it. One file per system implements it.
#pragma once
#include <string>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    // The absolute path of the program file, links resolved; argv0 is the
    // fallback where the system cannot tell. Empty when neither helps.
    RYX_PLATFORM_API std::string Get_Program_Path(const char* argv0);
}
