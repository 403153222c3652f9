#include "Lib/Assertion.h"
#include "Platform/Report.h"

namespace Ryx_Lib
{
    void Throw_Assertion(const char* expression, const char* message, const char* file, std::uint32_t line)
    {
        Ryx_Platform::Report_Assertion(expression, message, file, line);
    }
}
