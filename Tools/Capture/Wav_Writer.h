// The captured sound as a 16-bit stereo WAV file, written through a temporary
// name (Output_File) so that a failed capture leaves no half-written file.
#pragma once
#include <cstdint>
#include <string>
#include "Tools/Capture/Output_File.h"

namespace Ryx_Capture
{
    class Wav_Writer
    {
    public:
        bool Open(const std::string& path, int rate, std::string& error);
        bool Is_Open() const { return m_file.Is_Open(); }
        bool Add(const std::int16_t* samples, std::size_t frames);
        // Writes the final header and closes; Commit then renames it into place.
        bool Finish(std::string& error);
        bool Commit(std::string& error) { return m_file.Commit(error); }
        void Discard() { m_file.Discard(); }
        std::uint64_t Get_Size() const { return m_file.Get_Size(); }
        std::uint64_t Get_Frames() const { return m_frames; }

    private:
        Output_File m_file;
        int m_rate = 44100;
        std::uint64_t m_frames = 0;
    };
}
