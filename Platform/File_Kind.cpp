#include "Platform/File_Kind.h"

#include <filesystem>
#include <system_error>

namespace Ryx_Platform
{
    const char* Get_Non_File_Kind(const char* path)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::file_status status = fs::status(path, error);
        if (error || !fs::exists(status) || fs::is_regular_file(status))
            return nullptr;
        return fs::is_directory(status)                                  ? "a folder"
            : fs::is_fifo(status)                                        ? "a FIFO"
            : fs::is_character_file(status) || fs::is_block_file(status) ? "a device"
            : fs::is_socket(status)                                      ? "a socket"
                                                                         : "something else";
    }
}
