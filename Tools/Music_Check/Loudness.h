// Loudness as broadcasters and streaming services measure it (ITU-R BS.1770,
// EBU R128), through libebur128: integrated loudness in LUFS, true peak in
// dBTP, for interleaved stereo floats at 44 100 Hz.
#pragma once
#include <cstdint>
#include <vector>

namespace Ryx_Tools
{
    // Gated integrated loudness of frames [from, to); -inf when the span is
    // shorter than one 400 ms block or silent.
    double Integrated_Lufs(const std::vector<float>& stereo, std::int64_t from, std::int64_t to);

    // Ungated loudness of the span as one window (for short spans and fades).
    double Window_Lufs(const std::vector<float>& stereo, std::int64_t from, std::int64_t to);

    // Highest true (4x oversampled) peak of either channel, in dBTP.
    double True_Peak_Db(const std::vector<float>& stereo);
}
