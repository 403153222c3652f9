// The music check's verdicts: every check prints one line, "ok" or "FAIL",
// and the failures are counted for the exit code.
#pragma once
#include <cstdio>
#include <string>

namespace Ryx_Tools
{
    class Report
    {
    public:
        void Check(bool ok, const std::string& what)
        {
            std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
            if (!ok)
                ++m_failures;
        }
        int Failures() const { return m_failures; }

    private:
        int m_failures = 0;
    };

    // printf into a std::string, for the lines of the report.
    template <typename... Args>
    std::string Format(const char* format, Args... args)
    {
        char line[256];
        std::snprintf(line, sizeof line, format, args...);
        return line;
    }
}
