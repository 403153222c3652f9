// Collects every assertion report made while it lives.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "Platform/Test/Input_Hooks.h"

namespace Ryx_Test
{
    struct Assertion_Report
    {
        std::string expression;
        std::string caption;  // "" for a null caption
        bool has_caption = false;
        std::string file;
        std::uint32_t line = 0;
    };

    class Assertion_Recorder
    {
    public:
        Assertion_Recorder() { Ryx_Platform::Set_Assertion_Hook(&Record, this); }
        ~Assertion_Recorder() { Ryx_Platform::Set_Assertion_Hook(nullptr, nullptr); }
        Assertion_Recorder(const Assertion_Recorder&) = delete;
        Assertion_Recorder& operator=(const Assertion_Recorder&) = delete;

        const std::vector<Assertion_Report>& Reports() const { return m_reports; }
        void Clear() { m_reports.clear(); }

        // Reports whose expression is exactly this text.
        int Count(const std::string& expression) const
        {
            int n = 0;
            for (const Assertion_Report& r : m_reports)
                n += r.expression == expression;
            return n;
        }

    private:
        static void Record(const char* expression, const char* caption, const char* file, std::uint32_t line,
                           void* user)
        {
            Assertion_Report r;
            r.expression = expression ? expression : "";
            r.has_caption = caption != nullptr;
            r.caption = caption ? caption : "";
            r.file = file ? file : "";
            r.line = line;
            static_cast<Assertion_Recorder*>(user)->m_reports.push_back(r);
        }

        std::vector<Assertion_Report> m_reports;
    };
}
