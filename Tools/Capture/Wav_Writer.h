// The captured sound as a 16-bit stereo WAV file, written through a temporary
// name so that a failed capture leaves no half-written file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace Ryx_Capture
{
    class Wav_Writer
    {
    public:
        Wav_Writer() = default;
        ~Wav_Writer();
        Wav_Writer(const Wav_Writer&) = delete;
        Wav_Writer& operator=(const Wav_Writer&) = delete;

        bool Open(const std::string& path, int rate, std::string& error);
        bool Add(const std::int16_t* samples, std::size_t frames);
        bool Finish(std::string& error);

    private:
        std::string m_path;
        std::string m_temp;
        std::FILE* m_file = nullptr;
        int m_rate = 44100;
        std::uint64_t m_frames = 0;
        bool m_failed = false;
    };
}
