// PNG frames in a folder, numbered from frame_000000.png. Every frame is
// written as frame_NNNNNN.png.part and renamed only when the capture has
// finished, so a stopped or failed capture leaves none of them.
#pragma once
#include <cstdint>
#include <string>
#include "Tools/Capture/Capture_Output.h"
#include "Tools/Capture/Enlarge.h"

namespace Ryx_Capture
{
    class Frame_Folder : public Capture_Output
    {
    public:
        // folder ends with '/'.
        Frame_Folder(std::string folder, bool overwrite, const Frame_Layout& layout)
            : m_folder(std::move(folder)), m_overwrite(overwrite), m_layout(layout)
        {}
        ~Frame_Folder() override { Discard(); }

        // Makes the folder; refuses one that holds the frames of an earlier
        // capture unless overwrite.
        bool Open(std::string& error, std::string& note) override;
        bool Add_Frame(const Shown_Frame& frame, std::string& error) override;
        bool Finish(std::string&) override { return true; }
        // Renames every frame into place; with overwrite, removes earlier
        // frames past the new last one.
        bool Commit(std::string& error) override;
        void Discard() override;
        std::uint64_t Get_Size() const override { return m_size; }

    private:
        std::string Name(long index, bool temporary) const;

        std::string m_folder;
        bool m_overwrite;
        Frame_Layout m_layout;
        long m_count = 0;
        std::uint64_t m_size = 0;
    };
}
