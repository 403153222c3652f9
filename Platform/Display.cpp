// The display on SDL: a desktop-sized full-screen window, a renderer that
// scales the 640 x 480 picture with its aspect kept, and one streaming
// texture as the back buffer. Or, while a frame sink is set, a plain memory
// back buffer whose every flip goes to the sink.
#include "Platform/Display.h"

#include <SDL.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "Platform/Video.h"

namespace Ryx_Platform
{
    namespace
    {
        using Clock = std::chrono::steady_clock;

        std::atomic<Frame_Sink> s_sink{nullptr};
        std::atomic<void*> s_sink_user{nullptr};
        int s_fail_bits = 0;
        bool s_fail_lock = false;
        Pacing s_pacing = Pacing::Automatic;
        void* s_test_pixels = nullptr;
        std::int32_t s_test_pitch = 0;

        // An OpenGL renderer that draws in software (no GPU) costs several
        // times the CPU of SDL's own software renderer for the same frame.
        bool Renderer_Is_Software_Gl(SDL_Renderer* renderer)
        {
            SDL_RendererInfo info;
            if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
                return false;
            using Get_String = const unsigned char* (*)(unsigned int);
            auto get_string = reinterpret_cast<Get_String>(SDL_GL_GetProcAddress("glGetString"));
            const unsigned char* name = get_string ? get_string(0x1F01) : nullptr;  // GL_RENDERER
            if (!name)
                return false;
            const char* text = reinterpret_cast<const char*>(name);
            return std::strstr(text, "llvmpipe") || std::strstr(text, "softpipe") || std::strstr(text, "Software");
        }

        // Full screen at the desktop's own mode: a crash can never leave the
        // monitor switched to 640 x 480. The window is first laid over the
        // whole desktop by hand, since without a window manager (a bare X
        // server) the full-screen request alone changes nothing.
        void Go_Full_Screen(SDL_Window* window)
        {
            int index = SDL_GetWindowDisplayIndex(window);
            SDL_Rect bounds;
            if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) == 0)
            {
                SDL_SetWindowBordered(window, SDL_FALSE);
                SDL_SetWindowPosition(window, bounds.x, bounds.y);
                SDL_SetWindowSize(window, bounds.w, bounds.h);
            }
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
            SDL_ShowCursor(SDL_DISABLE);
        }

        // A framed window of twice the frame's size, or of its size where
        // twice does not fit the desktop, centred, with the cursor shown.
        void Go_Windowed(SDL_Window* window, int width, int height)
        {
            SDL_SetWindowFullscreen(window, 0);
            int index = SDL_GetWindowDisplayIndex(window);
            SDL_Rect usable;
            int scale = 2;
            if (SDL_GetDisplayUsableBounds(index < 0 ? 0 : index, &usable) == 0 &&
                (usable.w < 2 * width || usable.h < 2 * height))
                scale = 1;
            SDL_SetWindowBordered(window, SDL_TRUE);
            SDL_SetWindowSize(window, scale * width, scale * height);
            SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(index < 0 ? 0 : index),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(index < 0 ? 0 : index));
            SDL_ShowCursor(SDL_ENABLE);
        }

        // A window nobody looks at needs no pacing: the headless drivers.
        bool Display_Is_Headless()
        {
            const char* driver = SDL_GetCurrentVideoDriver();
            return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
        }
    }

    class Display
    {
    public:
        bool sink_mode = false;
        SDL_Window* window = nullptr;
        bool own_window = false;
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* texture = nullptr;
        bool vsync = false;
        bool paced = false;
        bool windowed = false;
        int width = 0;
        int height = 0;
        int bits = 0;
        bool test_lock = false;
        std::vector<std::uint32_t> memory;
        Clock::time_point last_flip{};
    };

    void Set_Frame_Sink(Frame_Sink sink, void* user)
    {
        s_sink_user.store(user);
        s_sink.store(sink);
    }

    bool Has_Frame_Sink() { return s_sink.load() != nullptr; }

    bool Display_Available(std::string* reason)
    {
        const bool was_started = Video_Started();
        if (!Start_Video())
        {
            if (reason)
                *reason = SDL_GetError();
            return false;
        }
        // SDL falls back to its headless offscreen driver where nothing else
        // works: that shows nothing to anyone unless asked for by name.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        bool available = !(driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
                           !(asked && std::strstr(asked, driver)));
        if (!available && reason)
            *reason = "neither DISPLAY nor WAYLAND_DISPLAY leads to a screen";
        // Only asked: what the program sets up before its first window (the
        // window class, where the system has them) must still find the video
        // down.
        if (!was_started)
            Stop_Video();
        return available;
    }

    void Display_Fail_Mode(int bits) { s_fail_bits = bits; }
    void Display_Fail_Lock(bool on) { s_fail_lock = on; }
    void Set_Display_Pacing(Pacing pacing) { s_pacing = pacing; }

    void Display_Test_Surface(void* pixels, std::int32_t pitch)
    {
        s_test_pixels = pixels;
        s_test_pitch = pitch;
    }

    Display* Display_Create(void* window)
    {
        Display* display = new Display;
        if (Has_Frame_Sink())
        {
            display->sink_mode = true;
            return display;
        }
        if (!Start_Video())
            return display;

        display->window = Sdl_Window_Of(window);
        if (!display->window)
        {
            display->window = SDL_CreateWindow("Orvi", 0, 0, 640, 480, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
            display->own_window = display->window != nullptr;
        }
        if (!display->window)
            return display;

        Go_Full_Screen(display->window);
        int index = SDL_GetWindowDisplayIndex(display->window);

        // Wait for the refresh where the display runs at 60 Hz; elsewhere the
        // flip's timed wait paces.
        SDL_DisplayMode mode;
        bool sixty = SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) == 0 && mode.refresh_rate >= 59 &&
            mode.refresh_rate <= 61;
        display->renderer = SDL_CreateRenderer(display->window, -1, sixty ? SDL_RENDERER_PRESENTVSYNC : 0);
        if (display->renderer && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && Renderer_Is_Software_Gl(display->renderer))
        {
            SDL_DestroyRenderer(display->renderer);
            display->renderer = nullptr;
        }
        if (!display->renderer)
            display->renderer = SDL_CreateRenderer(display->window, -1, SDL_RENDERER_SOFTWARE);
        if (display->renderer)
        {
            SDL_RendererInfo info;
            display->vsync = sixty && SDL_GetRendererInfo(display->renderer, &info) == 0 &&
                (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
            SDL_RenderSetLogicalSize(display->renderer, 640, 480);
            SDL_SetRenderDrawColor(display->renderer, 0, 0, 0, 255);
        }
        display->paced = s_pacing == Pacing::Always || (s_pacing == Pacing::Automatic && !Display_Is_Headless());
        return display;
    }

    HRESULT Display_Set_Mode(Display* display, int width, int height, int bits)
    {
        if (!display || width <= 0 || height <= 0)
            return DDERR_GENERIC;
        if (display->sink_mode)
        {
            // Offline frames are always the 32-bit frame buffer's pixels.
            if (bits != 32)
                return DDERR_UNSUPPORTEDMODE;
            display->memory.assign(std::size_t(width) * height, 0u);
            display->width = width;
            display->height = height;
            display->bits = 32;
            return DD_OK;
        }
        if (!display->renderer)
            return DDERR_GENERIC;
        if (bits == s_fail_bits || (bits != 32 && bits != 16))
            return DDERR_UNSUPPORTEDMODE;
        if (display->texture)
        {
            SDL_DestroyTexture(display->texture);
            display->texture = nullptr;
            display->bits = 0;
        }
        // XRGB, not ARGB: the frame buffer's top byte is 0 after a clear and
        // must not turn the picture transparent.
        Uint32 format = bits == 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
        display->texture = SDL_CreateTexture(display->renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!display->texture)
            return DDERR_UNSUPPORTEDMODE;
        SDL_SetTextureBlendMode(display->texture, SDL_BLENDMODE_NONE);
        display->width = width;
        display->height = height;
        display->bits = bits;
        return DD_OK;
    }

    int Display_Get_Bits(Display* display) { return display ? display->bits : 0; }

    HRESULT Display_Lock(Display* display, void** pixels, std::int32_t* pitch)
    {
        if (!display || !pixels || !pitch || s_fail_lock || display->bits == 0)
            return DDERR_SURFACELOST;
        if (display->sink_mode)
        {
            *pixels = display->memory.data();
            *pitch = display->width * 4;
            return DD_OK;
        }
        if (s_test_pixels)
        {
            *pixels = s_test_pixels;
            *pitch = s_test_pitch;
            display->test_lock = true;
            return DD_OK;
        }
        int sdl_pitch = 0;
        if (SDL_LockTexture(display->texture, nullptr, pixels, &sdl_pitch) != 0)
            return DDERR_SURFACELOST;
        *pitch = sdl_pitch;
        return DD_OK;
    }

    void Display_Unlock(Display* display)
    {
        if (!display || display->sink_mode || !display->texture)
            return;
        if (display->test_lock)
            display->test_lock = false;
        else
            SDL_UnlockTexture(display->texture);
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
        // Alt+Enter takes effect between two frames; the music and the
        // schedule of flips go on undisturbed.
        if (Take_Full_Screen_Toggle() && display->window)
        {
            display->windowed = !display->windowed;
            if (display->windowed)
                Go_Windowed(display->window, display->width, display->height);
            else
                Go_Full_Screen(display->window);
        }
        SDL_RenderClear(display->renderer);
        SDL_RenderCopy(display->renderer, display->texture, nullptr, nullptr);
        SDL_RenderPresent(display->renderer);

        if (display->paced)
        {
            // With a working refresh wait this floor never bites; without
            // one it holds the show at 60 frames a second. A late frame
            // starts a new schedule instead of rushing to catch up.
            const auto period = std::chrono::microseconds(display->vsync ? 15500 : 16667);
            Clock::time_point due = display->last_flip + period;
            Clock::time_point now = Clock::now();
            if (now < due)
            {
                std::this_thread::sleep_until(due);
                display->last_flip = due;
            }
            else
                display->last_flip = now;
        }
        return DD_OK;
    }

    void Display_Release(Display* display)
    {
        if (!display)
            return;
        if (display->texture)
            SDL_DestroyTexture(display->texture);
        if (display->renderer)
            SDL_DestroyRenderer(display->renderer);
        if (display->window)
        {
            if (display->own_window)
                SDL_DestroyWindow(display->window);
            else
            {
                SDL_SetWindowFullscreen(display->window, 0);
                SDL_HideWindow(display->window);
            }
        }
        if (!display->sink_mode && Video_Started())
            SDL_ShowCursor(SDL_ENABLE);
        delete display;
    }
}
