// The program's entry: the command line after the program's name, joined by
// single spaces, goes to the show's entry; Ctrl+C and SIGTERM become a quit
// message, so the show ends cleanly with the status a shell expects.
#include <string>
#include "Code/Main_Window.h"

int main(int argc, char** argv)
{
    Ryx_Platform::Post_Quit_On_Signals();
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
