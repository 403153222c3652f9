// A program in a page has no file of its own: its data is packed at the root
// of its file system, where it starts, and the data folder is found from there.
#include "Platform/Program_Path.h"

namespace Ryx_Platform
{
    std::string Get_Program_Path(const char*) { return std::string(); }
}
