// The loaders read only regular files: opening a FIFO for reading waits for
// a writer (for ever, before any message), and a device may never end.
#pragma once

namespace Ryx_Vektu
{
    // True, after one line on stderr naming the file, when path exists and is
    // not a regular file; the caller then goes on as for a missing file.
    bool Refuse_Unless_Regular(const char* path, const char* loader);
}
