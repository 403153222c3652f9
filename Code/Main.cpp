// The program's entry: --help and --version; a clear end when there is no
// display; the data folder found beside the program when the working folder
// is not one; then the command line after the program's name, joined by
// single spaces, goes to the show's entry. Ctrl+C and SIGTERM become a quit
// message, so the show ends cleanly with the status a shell expects.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include "Code/Main_Window.h"
#include "Platform/Data_Folder.h"
#include "Platform/Display.h"
#include "Platform/Program_Path.h"
#include "Flash_Warning.h"
#include "Orvi_Version.h"

namespace
{
    const char* const Usage = "Usage: demo [--calm] [-n]\n"
                              "Plays the show full screen, with sound, from its data folder.\n"
                              "\n" ORVI_FLASH_WARNING_LINES "\n"
                              "\n"
                              "  --calm      soften the flashes: no view of the screen flashes more than three\n"
                              "              times a second; the sound stays (demo --calm plays with sound,\n"
                              "              demo -n --calm calm and silent)\n"
                              "  -n          play without sound, in step all the same (so does any other\n"
                              "              command line of two or more characters starting with '-',\n"
                              "              once --calm is taken out of it)\n"
                              "  --help      print this help and exit\n"
                              "  --version   print the version and exit\n"
                              "\n"
                              "Keys: Escape ends the show; Alt+Enter switches between full screen and a window.\n"
                              "\n"
                              "Data: the working folder when it holds tekno.xm; otherwise the first of\n"
                              "  PROGRAM_DIR, PROGRAM_DIR/../data, PROGRAM_DIR/../../share/orvi/data and\n"
                              "  PROGRAM_DIR/../share/orvi/data that holds it (the program beside its\n"
                              "  files, the build tree, then the installed layouts), where demo then\n"
                              "  changes.\n"
                              "\n"
                              "Exit status: 0 at the end of the music, on Escape, or when the window is\n"
                              "  closed; 1 when the module cannot play or there is no display;\n"
                              "  130 on Ctrl+C (SIGINT), 143 on SIGTERM.\n";

    // The working folder stays when it is a data folder; otherwise demo
    // moves to the one beside it, and says so. File names stay relative.
    void Enter_Data_Folder(const char* argv0)
    {
        if (Ryx_Platform::Is_Data_Folder("."))
            return;
        std::string folder = Ryx_Platform::Find_Data_Folder(Ryx_Platform::Get_Program_Path(argv0));
        if (folder.empty())
            return;  // the show reports what it misses
        std::error_code error;
        std::filesystem::current_path(std::u8string(folder.begin(), folder.end()), error);  // UTF-8
        if (error)
            std::fprintf(stderr, "demo: no tekno.xm here, and cannot enter the data folder %s: %s\n", folder.c_str(),
                         error.message().c_str());
        else
            std::fprintf(stderr, "demo: no tekno.xm here; using the data folder %s\n", folder.c_str());
    }
}

int main(int argc, char** argv)
{
    // First: where the program must join the console it was started from,
    // this does so, and --help prints there.
    Ryx_Platform::Post_Quit_On_Signals();
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--help") == 0)
        {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0)
        {
            std::puts("demo (Orvi) " ORVI_VERSION);
            return 0;
        }
    }

    std::string reason;
    if (!Ryx_Platform::Display_Available(&reason))
    {
        std::fprintf(stderr,
                     "demo: no display to play on (%s); where there is none, `bash Tools/play.sh` records the "
                     "show to a video instead\n",
                     reason.c_str());
        return 1;
    }
    Enter_Data_Folder(argc > 0 ? argv[0] : nullptr);

    std::string command_line;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            command_line += ' ';
        command_line += argv[i];
    }
    // An exit status keeps only the low 8 bits of the code.
    return WinMain(nullptr, nullptr, command_line.c_str(), 0);
}
