#include "Code/Main_Window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include "Code/Engine.h"
#include "Code/Show_Console.h"
#include "Code/Windows_Callback.h"
#include "Platform/Bass.h"
#include "Platform/Display.h"

using namespace Ryx_Platform;

HWND s_hwnd = nullptr;
bool s_window_closed = false;

LRESULT Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY)
        return 0;
    // Closing the window ends the show with 0, as Escape does: a show that
    // ran on with its window gone could only be ended blind.
    if (message == WM_CLOSE)
    {
        s_window_closed = true;
        PostQuitMessage(0);
        return 0;
    }
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

bool Take_Calm(std::string& command_line)
{
    // The arguments were joined by single spaces: split there, keep the rest
    // joined as they were.
    bool calm = false;
    std::string rest;
    bool first = true;
    for (std::size_t start = 0; start <= command_line.size();)
    {
        std::size_t end = std::min(command_line.find(' ', start), command_line.size());
        std::string word = command_line.substr(start, end - start);
        if (word == "--calm")
            calm = true;
        else
        {
            rest += (first ? "" : " ") + word;
            first = false;
        }
        start = end + 1;
    }
    command_line = rest;
    return calm;
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* command_line, int)
{
    Create_Main_Window(instance);
    std::string rest = command_line ? command_line : "";
    const bool calm = Take_Calm(rest);
    bool nosound = Is_Nosound(rest.c_str());
    // The stage softens every frame the display flips from now on, on its
    // way to the screen; the frame buffer itself stays exact.
    if (calm)
        Set_Frame_Stage(Create_Calm_Stage());
    Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(instance, s_hwnd, nosound);
    Ryx_Lib::Single<Ryx_Lib::Callback> callback(new Windows_Callback);
    std::fprintf(stderr, "%s\n", Start_Line(nosound, calm, Audio_Output_Name()).c_str());
    Show_Outcome outcome;
    s_window_closed = false;
    try
    {
        engine->Run(callback.Get());
        outcome.end = engine->Get_End();
        // A module that cannot play leaves nothing to show: a failure.
        outcome.code = outcome.end == Ryx_Vektu::Show_End::Music_Failed ? 1 : 0;
    }
    catch (Windows_Msg& quit)
    {
        outcome.quit = true;
        outcome.window_closed = s_window_closed;
        outcome.signal = Get_Quit_Signal();
        outcome.code = quit.m_code;
    }
    callback = Ryx_Lib::Single<Ryx_Lib::Callback>();
    engine = Ryx_Lib::Single<Ryx_Vektu::Engine>();
    if (calm)
        Set_Frame_Stage(nullptr);
    std::fprintf(stderr, "%s\n", End_Line(outcome).c_str());
    return outcome.code;
}
