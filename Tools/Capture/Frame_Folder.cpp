#include "Tools/Capture/Frame_Folder.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Tools/Capture/Output_File.h"

namespace Ryx_Capture
{
    namespace
    {
        // frame_NNNNNN.png: the index, or -1 for any other name.
        long Frame_Index(const char* name)
        {
            std::size_t n = std::strlen(name);
            if (n < 14 || std::strncmp(name, "frame_", 6) != 0 || std::strcmp(name + n - 4, ".png") != 0)
                return -1;
            long index = 0;
            for (std::size_t i = 6; i < n - 4; ++i)
            {
                if (name[i] < '0' || name[i] > '9')
                    return -1;
                index = index * 10 + (name[i] - '0');
            }
            return index;
        }
    }

    std::string Frame_Folder::Name(long index, bool temporary) const
    {
        char name[40];
        std::snprintf(name, sizeof name, "frame_%06ld.png%s", index, temporary ? ".part" : "");
        return m_folder + name;
    }

    bool Frame_Folder::Open(std::string& error, std::string&)
    {
        m_count = 0;
        m_size = 0;
        if (!Make_Folder(m_folder, error))
            return false;
        if (!m_overwrite)
            if (DIR* dir = opendir(m_folder.c_str()))
            {
                std::string earlier;
                while (dirent* entry = readdir(dir))
                    if (Frame_Index(entry->d_name) >= 0 || std::strcmp(entry->d_name, "sound.wav") == 0)
                        earlier = entry->d_name;
                closedir(dir);
                if (!earlier.empty())
                    return error = m_folder + " holds an earlier capture (" + earlier + "): give -y to replace it",
                           false;
            }
        Set_Frame_Temps(m_folder + "frame_", ".png.part");
        return true;
    }

    bool Frame_Folder::Add_Frame(const Shown_Frame& frame, std::string& error)
    {
        // Level 1: PNG at level 6 would take longer than drawing the show.
        std::vector<std::uint8_t> png = Encode_Frame_PNG(frame.pixels, m_layout, 1);
        Set_Frame_Temp_Count(m_count + 1);  // the handler removes this one too, from the moment it exists
        std::string temporary = Name(m_count, true);
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file)
            return error = Write_Error(Name(m_count, false), errno), false;
        ++m_count;
        errno = 0;
        bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
        int reason = errno;
        if (std::fclose(file) != 0 && ok)
            ok = false, reason = errno;
        if (!ok)
            return error = Write_Error(Name(m_count - 1, false), reason), false;
        m_size += png.size();
        return true;
    }

    bool Frame_Folder::Commit(std::string& error)
    {
        for (long i = 0; i < m_count; ++i)
            if (std::rename(Name(i, true).c_str(), Name(i, false).c_str()) != 0)
                return error = "cannot rename " + Name(i, true) + ": " + std::strerror(errno), false;
        if (m_overwrite)
            if (DIR* dir = opendir(m_folder.c_str()))
            {
                while (dirent* entry = readdir(dir))
                {
                    long index = Frame_Index(entry->d_name);
                    std::string path = m_folder + entry->d_name;
                    if (index >= 0 && (index >= m_count || path != Name(index, false)))
                        unlink(path.c_str());
                }
                closedir(dir);
            }
        m_count = 0;
        Clear_Frame_Temps();
        return true;
    }

    void Frame_Folder::Discard()
    {
        for (long i = 0; i < m_count; ++i)
            unlink(Name(i, true).c_str());
        m_count = 0;
        Clear_Frame_Temps();
    }
}
