// Windows: the program's own path as the system knows it, in UTF-8 (the
// data folder's search hands it to std::filesystem as such).
#include "Platform/Program_Path.h"

#include <vector>
#include <windows.h>

namespace Ryx_Platform
{
    std::string Get_Program_Path(const char*)
    {
        // Long paths may exceed MAX_PATH: grow until the name fits.
        std::vector<wchar_t> wide(MAX_PATH);
        for (;;)
        {
            DWORD length = GetModuleFileNameW(nullptr, wide.data(), DWORD(wide.size()));
            if (length == 0)
                return std::string();
            if (length < wide.size())
            {
                int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(length), nullptr, 0, nullptr, nullptr);
                std::string path(std::size_t(bytes > 0 ? bytes : 0), '\0');
                if (bytes > 0)
                    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(length), path.data(), bytes, nullptr, nullptr);
                return path;
            }
            if (wide.size() >= 32768)
                return std::string();
            wide.resize(wide.size() * 2);
        }
    }
}
