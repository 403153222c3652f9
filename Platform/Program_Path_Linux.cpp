// The program's own path: Linux tells it through /proc/self/exe; elsewhere
// argv[0] serves when it names a file (a program found on PATH does not).
#include "Platform/Program_Path.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace Ryx_Platform
{
    std::string Get_Program_Path(const char* argv0)
    {
        char buffer[PATH_MAX];
        ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length > 0)
            return std::string(buffer, std::size_t(length));
        if (argv0 && std::strchr(argv0, '/'))
            if (char* resolved = realpath(argv0, nullptr))
            {
                std::string path(resolved);
                std::free(resolved);
                return path;
            }
        return std::string();
    }
}
