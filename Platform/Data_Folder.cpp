#include "Platform/Data_Folder.h"

#include <filesystem>
#include <system_error>

namespace Ryx_Platform
{
    bool Is_Data_Folder(const std::string& folder)
    {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::path(folder) / Data_Marker, error);
    }

    std::string Find_Data_Folder(const std::string& program_path)
    {
        if (program_path.empty())
            return std::string();
        const std::filesystem::path here = std::filesystem::path(program_path).parent_path();
        for (const char* relative : {"../data", "../../share/orvi/data", "../share/orvi/data"})
        {
            // The program's path has its links resolved, so ".." is taken
            // by name, as the layouts mean it.
            std::filesystem::path candidate = (here / relative).lexically_normal();
            if (Is_Data_Folder(candidate.string()))
                return candidate.string();
        }
        return std::string();
    }
}
