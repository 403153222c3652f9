// The show's data folder as it lies beside an installed or built program.
#pragma once
#include <string>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    // The file whose presence makes a folder the show's data folder.
    constexpr const char* Data_Marker = "tekno.xm";

    // The first folder that holds Data_Marker, tried in this order relative
    // to the program file's folder: the folder itself (the program beside its
    // files, as the Windows package has it), ../data (the build tree, bin
    // beside data), ../../share/orvi/data (installed under PREFIX/libexec/orvi)
    // and ../share/orvi/data (installed under PREFIX/bin). Absolute; empty
    // when none holds it. Paths in UTF-8.
    RYX_PLATFORM_API std::string Find_Data_Folder(const std::string& program_path);

    // True when folder holds something named Data_Marker (whether the module
    // there can play is the music's to say).
    RYX_PLATFORM_API bool Is_Data_Folder(const std::string& folder);
}
