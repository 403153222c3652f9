// Force-included into the tests of a Windows build: the POSIX calls they make,
// from the Windows runtime.
#pragma once
#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value);
}

// Windows has no FIFOs: the cases that make one are left out under Wine
// (Windows_Tests.cmake); this only lets them compile.
inline int mkfifo(const char*, int) { return -1; }
