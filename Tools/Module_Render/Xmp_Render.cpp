// xmp side of the offline renderer: runs the player program, which is the
// only way to reach libxmp here, and reads back its raw 16-bit stereo output.
#include "Tools/Module_Render/Module_Render.h"

#include <cstdio>
#include <fstream>
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
        const std::string raw = work_path + ".xmp.raw";
        std::remove(raw.c_str());
        const std::string command = "xmp --norc --nocmd -d file -Dendian=little -b 16 -f " + std::to_string(rate) +
                                    " -o " + Quoted(raw) + " " + Quoted(module_path) + " 2>&1 </dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            result.messages += line;
        const int status = pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

        std::ifstream file(raw, std::ios::binary | std::ios::ate);
        if (file)
        {
            result.ran = true;
            result.frames = std::int64_t(file.tellg()) / 4;
        }
        file.close();
        std::remove(raw.c_str());
        return result;
    }
}
