#include "Code/Regular_File.h"

#include <cstdio>
#include "Platform/File_Kind.h"

namespace Ryx_Vektu
{
    bool Refuse_Unless_Regular(const char* path, const char* loader)
    {
        const char* kind = Ryx_Platform::Get_Non_File_Kind(path);
        if (!kind)
            return false;  // a file, or missing: the open reports a missing one
        std::fprintf(stderr, "%s: %s is %s, not a file; not read\n", loader, path, kind);
        return true;
    }
}
