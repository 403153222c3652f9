#include "Tools/Wav_File/Wav_File.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Ryx_Tools
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

        std::uint32_t Get16(const std::uint8_t* at) { return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8; }

        std::uint32_t Get32(const std::uint8_t* at) { return Get16(at) | Get16(at + 2) << 16; }
    }

    std::array<std::uint8_t, Wav_Header_Size> Wav_Header(int rate, int channels, std::uint64_t frames)
    {
        std::array<std::uint8_t, Wav_Header_Size> header{};
        std::uint8_t* h = header.data();
        const std::uint32_t frame_bytes = std::uint32_t(channels) * 2;
        const std::uint32_t data = static_cast<std::uint32_t>(frames * frame_bytes);
        std::memcpy(h, "RIFF", 4);
        Put32(h + 4, 36 + data);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        Put32(h + 16, 16);
        Put16(h + 20, 1);  // PCM
        Put16(h + 22, std::uint32_t(channels));
        Put32(h + 24, std::uint32_t(rate));
        Put32(h + 28, std::uint32_t(rate) * frame_bytes);
        Put16(h + 32, frame_bytes);
        Put16(h + 34, 16);
        std::memcpy(h + 36, "data", 4);
        Put32(h + 40, data);
        return header;
    }

    void Append_Wav_Samples(const std::int16_t* samples, std::size_t count, std::vector<std::uint8_t>& bytes)
    {
        std::size_t at = bytes.size();
        bytes.resize(at + count * 2);
        for (std::size_t i = 0; i < count; ++i)
            Put16(&bytes[at + 2 * i], std::uint16_t(samples[i]));
    }

    bool Save_Wav(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels)
    {
        const auto header = Wav_Header(rate, channels, samples.size() / std::size_t(channels));
        std::vector<std::uint8_t> bytes(header.begin(), header.end());
        Append_Wav_Samples(samples.data(), samples.size(), bytes);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }

    bool Decode_Wav(const std::vector<std::uint8_t>& bytes, Wav_Sound& sound)
    {
        if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
            std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
            return false;
        bool format = false;
        for (std::size_t at = 12; at + 8 <= bytes.size();)
        {
            const std::uint8_t* chunk = bytes.data() + at;
            const std::size_t size = std::min<std::size_t>(Get32(chunk + 4), bytes.size() - at - 8);
            if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16)
            {
                if (Get16(chunk + 8) != 1 || Get16(chunk + 22) != 16 || Get16(chunk + 10) == 0)
                    return false;  // not 16-bit PCM
                sound.channels = int(Get16(chunk + 10));
                sound.rate = int(Get32(chunk + 12));
                format = true;
            }
            else if (std::memcmp(chunk, "data", 4) == 0)
            {
                if (!format)
                    return false;
                const std::size_t frame = std::size_t(sound.channels) * 2;
                sound.samples.resize(size / frame * std::size_t(sound.channels));
                for (std::size_t i = 0; i < sound.samples.size(); ++i)
                    sound.samples[i] = std::int16_t(Get16(chunk + 8 + 2 * i));
                return true;
            }
            at += 8 + size + (size & 1);
        }
        return false;
    }
}
