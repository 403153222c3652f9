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
            std::filesystem::path candidate = here / relative;
            if (!Is_Data_Folder(candidate.string()))
                continue;
            std::error_code error;
            std::filesystem::path clean = std::filesystem::weakly_canonical(candidate, error);
            return (error ? candidate.lexically_normal() : clean).string();
        }
        return std::string();
    }
}
