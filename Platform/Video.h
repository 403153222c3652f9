// Internal to the platform layer: the one start of the video subsystem that
// the main window, the display and the keyboard share.
#pragma once

struct SDL_Window;

namespace Ryx_Platform
{
    // Starts the video once (hints, key latch, clean exit); false without a
    // display. Never starts while a frame sink is set.
    bool Start_Video();
    // Back to before Start_Video; the next Start_Video starts afresh.
    void Stop_Video();
    bool Video_Started();
    // The platform window behind a main-window handle, or null.
    SDL_Window* Sdl_Window_Of(void* window);
    // The main window's class as the program registers it; where the system
    // has window classes, the platform's windows are made of this one. Only
    // the first class registered before the video starts counts.
    void Use_Window_Class(const char* name, unsigned style, void* instance);
    // The keyboard's latch learns every key press through this.
    void Latch_Key_Press(int key);
    // Events pumped since the last key query: a query then need not pump.
    void Note_Events_Pumped();
    // True once for each Alt+Enter pressed since the last call.
    bool Take_Full_Screen_Toggle();
}
