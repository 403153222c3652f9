// Every output of one capture, walked as one: whole files or none. Outputs
// are opened, finished and committed in the order they were added (the side
// outputs first: the log, the sound, then what --out names); each frame and
// its sound reach them in the reverse order, what --out names first, so that
// when two fail at once the reason given is the main output's.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Tools/Capture/Capture_Output.h"

namespace Ryx_Capture
{
    class Output_List
    {
    public:
        Output_List() = default;
        // Whatever was not committed goes. (Neither copied nor moved: a
        // moved-from list would take the made folders with it.)
        ~Output_List() { Discard(); }

        void Add(std::unique_ptr<Capture_Output> output) { m_outputs.push_back(std::move(output)); }

        // Stops at the first output that cannot open; notes: each output's line.
        bool Open(std::string& error, std::vector<std::string>& notes);
        // Every output takes the frame (or sound) even after one fails; error
        // is the first failure's reason.
        bool Add_Frame(const Shown_Frame& frame, std::string& error);
        bool Add_Sound(const std::int16_t* samples, std::size_t frames, std::string& error);
        bool Is_Complete() const;
        // Stops at the first failure; nothing is renamed by it.
        bool Finish(std::string& error);
        // Renames every output into place and keeps the folders made for them.
        bool Commit(std::string& error);
        // Removes every output's temporary files, then the folders made for them.
        void Discard();
        std::uint64_t Get_Size() const;
        std::string Get_Work_Notes() const;

    private:
        std::vector<std::unique_ptr<Capture_Output>> m_outputs;
    };
}
