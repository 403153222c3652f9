// The loaders read only regular files (see Platform/File_Kind.h for why).
#pragma once

namespace Ryx_Vektu
{
    // True, after one line on stderr naming the file, when path exists and is
    // not a regular file; the caller then goes on as for a missing file.
    bool Refuse_Unless_Regular(const char* path, const char* loader);
}
