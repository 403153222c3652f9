// 16-bit PCM WAV files. The format is little-endian whatever the machine, so
// every byte is put and taken one at a time.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Ryx_Tools
{
    constexpr std::size_t Wav_Header_Size = 44;

    // The header of `frames` frames of `channels` 16-bit samples at `rate`.
    std::array<std::uint8_t, Wav_Header_Size> Wav_Header(int rate, int channels, std::uint64_t frames);

    // The samples as the file holds them.
    void Append_Wav_Samples(const std::int16_t* samples, std::size_t count, std::vector<std::uint8_t>& bytes);

    // A whole file; false when it cannot be written.
    bool Save_Wav(const std::string& path, const std::vector<std::int16_t>& samples, int rate, int channels);

    struct Wav_Sound
    {
        int rate = 0;
        int channels = 0;
        std::vector<std::int16_t> samples;  // interleaved
    };

    // Reads 16-bit PCM from a file's bytes, chunk by chunk; a data chunk cut
    // short gives the samples that are there. False when it is not such a file.
    bool Decode_Wav(const std::vector<std::uint8_t>& bytes, Wav_Sound& sound);
}
