#include "Code/Regular_File.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace Ryx_Vektu
{
    bool Refuse_Unless_Regular(const char* path, const char* loader)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::file_status status = fs::status(path, error);
        if (error || !fs::exists(status) || fs::is_regular_file(status))
            return false;  // a missing file is the open's to report
        const char* kind = fs::is_directory(status)                                   ? "a folder"
                           : fs::is_fifo(status)                                      ? "a FIFO"
                           : fs::is_character_file(status) || fs::is_block_file(status) ? "a device"
                           : fs::is_socket(status)                                    ? "a socket"
                                                                                      : "something else";
        std::fprintf(stderr, "%s: %s is %s, not a file; not read\n", loader, path, kind);
        return true;
    }
}
