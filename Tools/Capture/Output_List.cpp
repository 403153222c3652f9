#include "Tools/Capture/Output_List.h"

#include "Tools/Capture/Output_File.h"

namespace Ryx_Capture
{
    bool Output_List::Open(std::string& error, std::vector<std::string>& notes)
    {
        for (const auto& output : m_outputs)
        {
            std::string note;
            if (!output->Open(error, note))
                return false;
            if (!note.empty())
                notes.push_back(note);
        }
        return true;
    }

    bool Output_List::Add_Frame(const Shown_Frame& frame, std::string& error)
    {
        bool ok = true;
        for (auto it = m_outputs.rbegin(); it != m_outputs.rend(); ++it)
        {
            std::string reason;
            if (!(*it)->Add_Frame(frame, reason) && ok)
                ok = false, error = reason;
        }
        return ok;
    }

    bool Output_List::Add_Sound(const std::int16_t* samples, std::size_t frames, std::string& error)
    {
        bool ok = true;
        for (auto it = m_outputs.rbegin(); it != m_outputs.rend(); ++it)
        {
            std::string reason;
            if (!(*it)->Add_Sound(samples, frames, reason) && ok)
                ok = false, error = reason;
        }
        return ok;
    }

    bool Output_List::Is_Complete() const
    {
        for (const auto& output : m_outputs)
            if (output->Is_Complete())
                return true;
        return false;
    }

    bool Output_List::Finish(std::string& error)
    {
        for (const auto& output : m_outputs)
            if (!output->Finish(error))
                return false;
        return true;
    }

    bool Output_List::Commit(std::string& error)
    {
        for (const auto& output : m_outputs)
            if (!output->Commit(error))
                return false;
        Keep_Made_Folders();
        return true;
    }

    void Output_List::Discard()
    {
        for (const auto& output : m_outputs)
            output->Discard();
        Remove_Made_Folders();
    }

    std::uint64_t Output_List::Get_Size() const
    {
        std::uint64_t bytes = 0;
        for (const auto& output : m_outputs)
            bytes += output->Get_Size();
        return bytes;
    }

    std::string Output_List::Get_Work_Notes() const
    {
        std::string notes;
        for (const auto& output : m_outputs)
            notes += output->Get_Work_Note();
        return notes;
    }
}
