// PNG frames in a folder, numbered from frame_000000.png. Every frame is
// written as frame_NNNNNN.png.part and renamed only when the capture has
// finished, so a stopped or failed capture leaves none of them.
#pragma once
#include <cstdint>
#include <string>
#include "Tools/Capture/Enlarge.h"

namespace Ryx_Capture
{
    class Frame_Folder
    {
    public:
        ~Frame_Folder() { Discard(); }

        // folder ends with '/'. Refuses a folder that holds the frames of an
        // earlier capture unless overwrite.
        bool Open(const std::string& folder, bool overwrite, std::string& error);
        bool Add(const std::uint32_t* pixels, const Frame_Layout& layout, std::string& error);
        // Renames every frame into place; with overwrite, removes earlier
        // frames past the new last one.
        bool Commit(std::string& error);
        void Discard();
        std::uint64_t Get_Size() const { return m_size; }

    private:
        std::string Name(long index, bool temporary) const;

        std::string m_folder;
        bool m_overwrite = false;
        long m_count = 0;
        std::uint64_t m_size = 0;
    };
}
