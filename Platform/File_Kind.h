// What a path names when it is not a plain file. Readers check it before they
// open: opening a FIFO for reading waits for a writer (for ever, before any
// message), a device may never end, and Windows refuses to open a folder.
#pragma once
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    // "a folder", "a FIFO", "a device", "a socket" or "something else" when
    // path exists and is not a regular file; null when it is one, or when it
    // cannot be seen (the open then reports why).
    RYX_PLATFORM_API const char* Get_Non_File_Kind(const char* path);
}
