// The process entry's work: the main window, the calm and nosound switches,
// the engine, the callback, and the exit code.
#pragma once
#include <string>
#include "Platform/Messages.h"

// The main window; null when it could not be created (the show runs anyway).
extern Ryx_Platform::HWND s_hwnd;

void Create_Main_Window(Ryx_Platform::HINSTANCE instance);

// WM_DESTROY returns 0 and ends nothing; WM_CLOSE posts a quit with code 0;
// everything else goes to the default.
Ryx_Platform::LRESULT Window_Proc(Ryx_Platform::HWND window, Ryx_Platform::UINT message, Ryx_Platform::WPARAM wparam,
                                  Ryx_Platform::LPARAM lparam);

// Takes every "--calm" out of a command line of arguments joined by single
// spaces; true when there was one. The rest decides sound as before, so
// "--calm" alone keeps the sound and "-n --calm" is calm and silent.
bool Take_Calm(std::string& command_line);

// On for a command line (the text after the program's name) longer than one
// character that starts with a dash.
bool Is_Nosound(const char* command_line);

// 0 at the end of the music or on Escape, 1 when the module cannot play, a
// quit message's code otherwise. One line on stderr as the show starts and
// one as it ends.
int WinMain(Ryx_Platform::HINSTANCE instance, Ryx_Platform::HINSTANCE previous, const char* command_line, int show);
