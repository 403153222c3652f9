#include "Code/Main_Window.h"

#include <cstring>
#include "Code/Engine.h"
#include "Code/Windows_Callback.h"

using namespace Ryx_Platform;

HWND s_hwnd = nullptr;

LRESULT Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY)
        return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

void Create_Main_Window(HINSTANCE instance)
{
    WNDCLASSA record;
    record.style = CS_HREDRAW | CS_VREDRAW;
    record.lpfnWndProc = &Window_Proc;
    record.hInstance = instance;
    record.lpszClassName = "KQD_Test";
    RegisterClassA(&record);
    s_hwnd = CreateWindowExA(0, "KQD_Test", "Orvi", WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                             nullptr, nullptr, instance, nullptr);
    ShowWindow(s_hwnd, SW_SHOW);
    UpdateWindow(s_hwnd);
    SetFocus(s_hwnd);
}

bool Is_Nosound(const char* command_line)
{
    return command_line && std::strlen(command_line) > 1 && command_line[0] == '-';
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* command_line, int)
{
    Create_Main_Window(instance);
    bool nosound = Is_Nosound(command_line);
    Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(instance, s_hwnd, nosound);
    Ryx_Lib::Single<Ryx_Lib::Callback> callback(new Windows_Callback);
    int code = 0;
    try
    {
        engine->Run(callback.Get());
    }
    catch (Windows_Msg& quit)
    {
        code = quit.m_code;
    }
    callback = Ryx_Lib::Single<Ryx_Lib::Callback>();
    engine = Ryx_Lib::Single<Ryx_Vektu::Engine>();
    return code;
}
