// xmp side of the offline renderer: runs the player program, which is the
// only way to reach libxmp here, and reads back its 16-bit stereo WAV output
// (its raw file driver does not keep to the byte order it is asked for).
#include "Tools/Module_Render/Module_Render.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace Ryx_Tools
{
    namespace
    {
        std::string Quoted(const std::string& s)
        {
            std::string q = "'";
            for (char c : s)
                q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
            return q + "'";
        }
    }

    Xmp_Result Render_With_Xmp(const std::string& module_path, const std::string& work_path, int rate)
    {
        Xmp_Result result;
        const std::string wav = work_path + ".xmp.wav";
        std::remove(wav.c_str());
        const std::string command = "xmp --norc --nocmd -d wav -b 16 -f " + std::to_string(rate) + " -o " +
            Quoted(wav) + " " + Quoted(module_path) + " 2>&1 </dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            result.messages += line;
        const int status = pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

        std::ifstream file(wav, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        file.close();
        std::remove(wav.c_str());
        // RIFF chunks after the 12-byte header; the samples are in "data".
        auto u32 = [&](std::size_t at) {
            std::uint32_t v = 0;
            for (int i = 3; i >= 0; --i)
                v = v << 8 | std::uint8_t(bytes[at + std::size_t(i)]);
            return v;
        };
        for (std::size_t at = 12; at + 8 <= bytes.size();)
        {
            const std::size_t size = std::min<std::size_t>(u32(at + 4), bytes.size() - at - 8);
            if (std::string(&bytes[at], 4) == "data")
            {
                result.ran = true;
                result.frames = std::int64_t(size / 4);
                result.samples.resize(std::size_t(result.frames) * 2);
                for (std::size_t i = 0; i < result.samples.size(); ++i)
                {
                    const auto lo = std::uint8_t(bytes[at + 8 + 2 * i]), hi = std::uint8_t(bytes[at + 9 + 2 * i]);
                    result.samples[i] = float(std::int16_t(std::uint16_t(lo | hi << 8))) / 32768.0f;
                }
                break;
            }
            at += 8 + size + (size & 1);
        }
        return result;
    }
}
