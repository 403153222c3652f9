// The three libraries export exactly their named symbols (plus the vtable and
// type information a derived class in another module needs), nothing else:
// the platform only the calls demo, the capture tool and the support library
// make, the frame stage's slot and the calm stage's factory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace
{
    // Defined dynamic symbols of a library, as nm -D --defined-only lists them
    // (demangled: qualified names without their parameters).
    std::set<std::string> Exports_Of(const std::string& library, bool demangled = false)
    {
        std::set<std::string> names;
        std::string command =
            "nm -D --defined-only " + std::string(demangled ? "-C " : "") + "'" + RYX_BIN_DIR + "/" + library + "'";
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return names;
        char line[1024];
        while (std::fgets(line, sizeof line, pipe))
        {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            // Address, type letter, name.
            std::size_t space = text.find(' ', text.find(' ') + 1);
            std::string name = space == std::string::npos ? text : text.substr(space + 1);
            if (demangled)
                name = name.substr(0, name.find_first_of("(["));
            // What the linker and the sanitizer runtime add to any library.
            if (name == "__bss_start" || name == "_edata" || name == "_end" || name == "_init" || name == "_fini" ||
                name.rfind("__asan", 0) == 0 || name.rfind("__odr_asan", 0) == 0 || name.rfind("__ubsan", 0) == 0 ||
                name.rfind("__tsan", 0) == 0 || name.rfind("__sanitizer", 0) == 0)
                continue;
            if (!name.empty())
                names.insert(name);
        }
        pclose(pipe);
        return names;
    }

    void Expect_Only(const std::set<std::string>& found, const std::set<std::string>& allowed,
                     const std::set<std::string>& required)
    {
        for (const std::string& name : found)
            EXPECT_TRUE(allowed.count(name)) << "unexpected export: " << name;
        for (const std::string& name : required)
            EXPECT_TRUE(found.count(name)) << "missing export: " << name;
    }
}

TEST(Exports, LibExportsTheCallbackDestructorAndThrowAssertion)
{
    std::set<std::string> found = Exports_Of("libLib.so");
    ASSERT_FALSE(found.empty());
    std::set<std::string> destructors = {"_ZN7Ryx_Lib8CallbackD0Ev", "_ZN7Ryx_Lib8CallbackD1Ev",
                                         "_ZN7Ryx_Lib8CallbackD2Ev"};
    std::set<std::string> allowed = destructors;
    allowed.insert({"_ZN7Ryx_Lib15Throw_AssertionEPKcS1_S1_j", "_ZTVN7Ryx_Lib8CallbackE", "_ZTIN7Ryx_Lib8CallbackE",
                    "_ZTSN7Ryx_Lib8CallbackE"});
    Expect_Only(found, allowed,
                {"_ZN7Ryx_Lib8CallbackD2Ev", "_ZN7Ryx_Lib15Throw_AssertionEPKcS1_S1_j", "_ZTVN7Ryx_Lib8CallbackE",
                 "_ZTIN7Ryx_Lib8CallbackE"});
}

TEST(Exports, RasterizerExportsOnlyItsInterface)
{
    std::set<std::string> found = Exports_Of("libRasterizer.so");
    ASSERT_FALSE(found.empty());
    Expect_Only(found,
                {"_ZN14Ryx_Rasterizer10RasterizerD0Ev", "_ZN14Ryx_Rasterizer10RasterizerD1Ev",
                 "_ZN14Ryx_Rasterizer10RasterizerD2Ev", "_ZTVN14Ryx_Rasterizer10RasterizerE",
                 "_ZTIN14Ryx_Rasterizer10RasterizerE", "_ZTSN14Ryx_Rasterizer10RasterizerE"},
                {"_ZN14Ryx_Rasterizer10RasterizerD2Ev", "_ZTVN14Ryx_Rasterizer10RasterizerE",
                 "_ZTIN14Ryx_Rasterizer10RasterizerE"});
}

TEST(Exports, PlatformExportsOnlyWhatTheProgramsCall)
{
    std::set<std::string> found = Exports_Of("libPlatform.so", true);
    ASSERT_FALSE(found.empty());
    std::set<std::string> allowed;
    std::ifstream list(std::string(RYX_SOURCE_DIR) + "/Tests/Platform_Exports.txt");
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#')
            allowed.insert(line);
    ASSERT_FALSE(allowed.empty());
    Expect_Only(found, allowed, allowed);
}
