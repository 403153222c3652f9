// What the platform library exports: the calls the show and the capture tool
// make; everything else stays inside it. The Windows build marks them for
// export itself, where the library is built.
#pragma once
#ifndef RYX_PLATFORM_API
#ifdef _WIN32
#define RYX_PLATFORM_API
#else
#define RYX_PLATFORM_API __attribute__((visibility("default")))
#endif
#endif
