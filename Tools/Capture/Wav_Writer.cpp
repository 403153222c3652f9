#include "Tools/Capture/Wav_Writer.h"

#include <cstring>

namespace Ryx_Capture
{
    namespace
    {
        void Put16(std::uint8_t* at, std::uint32_t v) { at[0] = v & 255; at[1] = (v >> 8) & 255; }
        void Put32(std::uint8_t* at, std::uint32_t v) { Put16(at, v & 0xFFFF); Put16(at + 2, v >> 16); }

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

    Wav_Writer::~Wav_Writer()
    {
        if (m_file)
        {
            std::fclose(m_file);
            std::remove(m_temp.c_str());
        }
    }

    bool Wav_Writer::Open(const std::string& path, int rate, std::string& error)
    {
        m_path = path;
        m_temp = path + ".part";
        m_rate = rate;
        m_file = std::fopen(m_temp.c_str(), "wb");
        if (!m_file)
            return error = "cannot write " + path + ": " + std::strerror(errno), false;
        std::uint8_t h[44];
        Header(h, m_rate, 0);
        m_failed = std::fwrite(h, 1, 44, m_file) != 44;
        return true;
    }

    bool Wav_Writer::Add(const std::int16_t* samples, std::size_t frames)
    {
        if (!m_file || m_failed)
            return false;
        // Little-endian on disk whatever the machine.
        for (std::size_t i = 0; i < frames * 2; ++i)
        {
            std::uint8_t b[2] = {std::uint8_t(std::uint16_t(samples[i]) & 255), std::uint8_t(std::uint16_t(samples[i]) >> 8)};
            if (std::fwrite(b, 1, 2, m_file) != 2)
                return m_failed = true, false;
        }
        m_frames += frames;
        return true;
    }

    bool Wav_Writer::Finish(std::string& error)
    {
        if (!m_file)
            return error = "no sound file open", false;
        std::uint8_t h[44];
        Header(h, m_rate, m_frames);
        bool ok = !m_failed && std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, 44, m_file) == 44;
        ok = (std::fclose(m_file) == 0) && ok;
        m_file = nullptr;
        if (ok && std::rename(m_temp.c_str(), m_path.c_str()) == 0)
            return true;
        std::remove(m_temp.c_str());
        error = "cannot write " + m_path;
        return false;
    }
}
