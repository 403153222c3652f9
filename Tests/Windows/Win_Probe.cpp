// win_probe class NAME: the caption of the top-level window of class NAME.
// win_probe box CAPTION: the text of the message box with that caption.
// Prints it and exits 0, or exits 1 when there is no such window: the Wine
// tests ask the system, as any other program would, what the show put up.
#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>

namespace
{
    BOOL CALLBACK Collect_Static_Text(HWND child, LPARAM text)
    {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        char buffer[1024] = {};
        if (_stricmp(name, "Static") == 0 && GetWindowTextA(child, buffer, sizeof buffer) > 0)
            *reinterpret_cast<std::string*>(text) += buffer;
        return TRUE;
    }
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: win_probe class NAME | win_probe box CAPTION\n");
        return 2;
    }
    char text[1024] = {};
    if (std::strcmp(argv[1], "class") == 0)
    {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window)
            return 1;
        GetWindowTextA(window, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (std::strcmp(argv[1], "box") == 0)
    {
        // A message box is a dialog of the system's class "#32770".
        HWND box = FindWindowA("#32770", argv[2]);
        if (!box)
            return 1;
        std::string body;
        EnumChildWindows(box, &Collect_Static_Text, reinterpret_cast<LPARAM>(&body));
        std::printf("%s\n", body.c_str());
        return 0;
    }
    return 2;
}
