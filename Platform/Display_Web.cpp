// The display in a browser, standing in for Display.cpp there until the
// display is split into a front, presenters and a frame sink; then only the
// live part below stays, as the browser's presenter.
//
// Live: the frame goes to the page (Module.orvi.present, a 640 x 480 canvas
// the page scales), then the program waits, through Asyncify, for the
// animation frame the page paces to 60 a second. The wait is what lets the
// browser run at all: the engine's loop never returns to it. The page also
// runs the program's next frame inside that animation frame, so a frame is
// drawn and shown in the same refresh.
//
// Offline (a frame sink set): as Display.cpp, every flipped frame goes to the
// sink, unpaced, with no video at all.
#include "Platform/Display.h"

#include <SDL.h>
#include <emscripten.h>
#include <atomic>
#include <cstring>
#include <vector>
#include "Platform/Video.h"

// The page's presenter: ImageData over the program's memory, put on its
// canvas. False (0) when the page has none (node, a bare page).
EM_JS(int, Web_Present, (const void* rgba, int width, int height), {
    const orvi = Module['orvi'];
    if (!orvi || !orvi['present'])
        return 0;
    orvi['present'](HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
    return 1;
});

// Resumes at the next animation frame the page's pacing lets through, or at
// once where there is no page.
EM_ASYNC_JS(void, Web_Wait_Frame, (), {
    const orvi = Module['orvi'];
    if (orvi && orvi['waitFrame'])
        await orvi['waitFrame']();
});

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Frame_Sink> s_sink{nullptr};
        std::atomic<void*> s_sink_user{nullptr};
        int s_fail_bits = 0;
        bool s_fail_lock = false;
        void* s_test_pixels = nullptr;
        std::int32_t s_test_pitch = 0;

        // SDL's keyboard handlers would take every key of the page (and stop
        // the browser's own use of some). The page hands the program the keys
        // it means for it: SDL listens on its own hidden canvas, which never
        // has the focus.
        void Keep_Sdl_Off_The_Keyboard() { SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas"); }
    }

    class Display
    {
    public:
        bool sink_mode = false;
        bool live = false;
        int width = 0;
        int height = 0;
        int bits = 0;
        bool test_lock = false;
        std::vector<std::uint32_t> memory;  // XRGB, as the show draws
        std::vector<std::uint32_t> rgba;    // the canvas's byte order
    };

    void Set_Frame_Sink(Frame_Sink sink, void* user)
    {
        s_sink_user.store(user);
        s_sink.store(sink);
    }

    bool Has_Frame_Sink() { return s_sink.load() != nullptr; }

    bool Display_Available(std::string* reason)
    {
        Keep_Sdl_Off_The_Keyboard();
        const bool was_started = Video_Started();
        if (!Start_Video())
        {
            if (reason)
                *reason = SDL_GetError();
            return false;
        }
        if (!was_started)
            Stop_Video();
        return true;
    }

    void Display_Fail_Mode(int bits) { s_fail_bits = bits; }
    void Display_Fail_Lock(bool on) { s_fail_lock = on; }
    // The browser paces by its animation frames: there is nothing to choose.
    void Set_Display_Pacing(Pacing) {}

    void Display_Test_Surface(void* pixels, std::int32_t pitch)
    {
        s_test_pixels = pixels;
        s_test_pitch = pitch;
    }

    Display* Display_Create(void*)
    {
        Display* display = new Display;
        if (Has_Frame_Sink())
            display->sink_mode = true;
        else
        {
            Keep_Sdl_Off_The_Keyboard();
            display->live = Start_Video();
        }
        return display;
    }

    HRESULT Display_Set_Mode(Display* display, int width, int height, int bits)
    {
        if (!display || width <= 0 || height <= 0)
            return DDERR_GENERIC;
        if (!display->sink_mode && !display->live)
            return DDERR_GENERIC;
        // Frames are always the 32-bit frame buffer's pixels here: the page
        // has no 16-bit surface to offer.
        if (bits != 32 || bits == s_fail_bits)
            return DDERR_UNSUPPORTEDMODE;
        display->memory.assign(std::size_t(width) * height, 0u);
        display->rgba.assign(display->sink_mode ? 0 : std::size_t(width) * height, 0xFF000000u);
        display->width = width;
        display->height = height;
        display->bits = 32;
        return DD_OK;
    }

    int Display_Get_Bits(Display* display) { return display ? display->bits : 0; }

    HRESULT Display_Lock(Display* display, void** pixels, std::int32_t* pitch)
    {
        if (!display || !pixels || !pitch || s_fail_lock || display->bits == 0)
            return DDERR_SURFACELOST;
        if (s_test_pixels && !display->sink_mode)
        {
            *pixels = s_test_pixels;
            *pitch = s_test_pitch;
            display->test_lock = true;
            return DD_OK;
        }
        *pixels = display->memory.data();
        *pitch = display->width * 4;
        return DD_OK;
    }

    void Display_Unlock(Display* display)
    {
        if (display)
            display->test_lock = false;
    }

    HRESULT Display_Flip(Display* display)
    {
        if (!display || display->bits == 0)
            return DDERR_SURFACELOST;
        if (display->sink_mode)
        {
            if (Frame_Sink sink = s_sink.load())
                sink(display->memory.data(), display->width, display->height, s_sink_user.load());
            return DD_OK;
        }
        // 0x00RRGGBB in memory is B, G, R, 0; the canvas wants R, G, B, 255.
        const std::size_t count = display->memory.size();
        const std::uint32_t* from = display->memory.data();
        std::uint32_t* to = display->rgba.data();
        for (std::size_t i = 0; i < count; ++i)
        {
            std::uint32_t p = from[i];
            to[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
        }
        Web_Present(to, display->width, display->height);
        Web_Wait_Frame();
        return DD_OK;
    }

    void Display_Release(Display* display) { delete display; }
}
