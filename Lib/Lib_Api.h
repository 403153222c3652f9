// Symbols that the support library exports; everything else stays hidden.
// The build defines RYX_LIB_API itself where libraries export otherwise
// (Windows DLLs: exported when the library is built, imported by its users).
#pragma once
#ifndef RYX_LIB_API
#define RYX_LIB_API __attribute__((visibility("default")))
#endif
