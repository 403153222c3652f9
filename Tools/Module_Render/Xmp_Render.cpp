// xmp side of the offline renderer: runs the player program, which is the
// only way to reach libxmp here, and reads back its 16-bit stereo WAV output
// (its raw file driver does not keep to the byte order it is asked for).
#include "Tools/Module_Render/Module_Render.h"
#include "Tools/Wav_File/Wav_File.h"

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
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        file.close();
        std::remove(wav.c_str());
        Wav_Sound sound;
        if (!Decode_Wav(bytes, sound) || sound.channels != 2)
            return result;
        result.ran = true;
        result.frames = std::int64_t(sound.samples.size() / 2);
        result.samples.resize(sound.samples.size());
        for (std::size_t i = 0; i < sound.samples.size(); ++i)
            result.samples[i] = float(sound.samples[i]) / 32768.0f;
        return result;
    }
}
