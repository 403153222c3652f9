#include "Platform/Data_Folder.h"

#include <filesystem>
#include <system_error>

namespace Ryx_Platform
{
    namespace
    {
        // Paths travel as UTF-8, which std::filesystem takes as such only
        // through char8_t strings on every system.
        std::filesystem::path From_Utf8(const std::string& text) { return std::u8string(text.begin(), text.end()); }

        std::string To_Utf8(const std::filesystem::path& path)
        {
            std::u8string text = path.u8string();
            return std::string(text.begin(), text.end());
        }
    }

    bool Is_Data_Folder(const std::string& folder)
    {
        std::error_code error;
        return std::filesystem::exists(From_Utf8(folder) / Data_Marker, error);
    }

    std::string Find_Data_Folder(const std::string& program_path)
    {
        if (program_path.empty())
            return std::string();
        const std::filesystem::path here = From_Utf8(program_path).parent_path();
        for (const char* relative : {".", "../data", "../../share/orvi/data", "../share/orvi/data"})
        {
            // The program's path has its links resolved, so ".." is taken
            // by name, as the layouts mean it.
            std::filesystem::path candidate = (here / relative).lexically_normal();
            if (!candidate.has_filename())
                candidate = candidate.parent_path();  // "bin/." is "bin/"
            if (Is_Data_Folder(To_Utf8(candidate)))
                return To_Utf8(candidate);
        }
        return std::string();
    }
}
