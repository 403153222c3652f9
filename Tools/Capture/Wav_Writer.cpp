#include "Tools/Capture/Wav_Writer.h"

#include <cstring>
#include <vector>

namespace Ryx_Capture
{
    namespace
    {
        void Put16(std::uint8_t* at, std::uint32_t v)
        {
            at[0] = v & 255;
            at[1] = (v >> 8) & 255;
        }
        void Put32(std::uint8_t* at, std::uint32_t v)
        {
            Put16(at, v & 0xFFFF);
            Put16(at + 2, v >> 16);
        }

        void Header(std::uint8_t (&h)[44], int rate, std::uint64_t frames)
        {
            std::uint32_t data = static_cast<std::uint32_t>(frames * 4);
            std::memcpy(h, "RIFF", 4);
            Put32(h + 4, 36 + data);
            std::memcpy(h + 8, "WAVEfmt ", 8);
            Put32(h + 16, 16);
            Put16(h + 20, 1);  // PCM
            Put16(h + 22, 2);
            Put32(h + 24, rate);
            Put32(h + 28, rate * 4);
            Put16(h + 32, 4);
            Put16(h + 34, 16);
            std::memcpy(h + 36, "data", 4);
            Put32(h + 40, data);
        }
    }

    bool Wav_Writer::Open(const std::string& path, int rate, std::string& error)
    {
        m_rate = rate;
        m_frames = 0;
        if (!m_file.Open(path, error))
            return false;
        std::uint8_t h[44];
        Header(h, m_rate, 0);
        m_file.Write(h, sizeof h);
        return true;
    }

    bool Wav_Writer::Add(const std::int16_t* samples, std::size_t frames)
    {
        // Little-endian on disk whatever the machine.
        std::vector<std::uint8_t> bytes(frames * 4);
        for (std::size_t i = 0; i < frames * 2; ++i)
            Put16(&bytes[2 * i], std::uint16_t(samples[i]));
        m_frames += frames;
        return m_file.Write(bytes.data(), bytes.size());
    }

    bool Wav_Writer::Finish(std::string& error)
    {
        std::uint8_t h[44];
        Header(h, m_rate, m_frames);
        m_file.Seek_To_Start();
        m_file.Write(h, sizeof h);
        return m_file.Close(error);
    }
}
