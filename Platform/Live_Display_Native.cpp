// The live display of a desktop system on SDL: a desktop-sized full-screen
// window, a renderer that scales the 640 x 480 picture with its aspect kept,
// and one streaming texture that each finished frame is copied into. Its
// present paces the show to 60 frames a second, unless the video driver is a
// headless one nobody looks at.
#include <SDL.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include "Platform/Display_Backend.h"
#include "Platform/Frame_Pacer.h"
#include "Platform/Video.h"

namespace Ryx_Platform
{
    namespace
    {
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

        class Live_Display : public Display_Backend
        {
        public:
            explicit Live_Display(void* window)
            {
                if (!Start_Video())
                    return;
                m_window = Sdl_Window_Of(window);
                if (!m_window)
                {
                    m_window = SDL_CreateWindow("Orvi", 0, 0, 640, 480, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
                    m_own_window = m_window != nullptr;
                }
                if (!m_window)
                    return;

                Go_Full_Screen(m_window);
                int index = SDL_GetWindowDisplayIndex(m_window);

                // Wait for the refresh where the display runs at 60 Hz;
                // elsewhere the pacer's timed wait paces.
                SDL_DisplayMode mode;
                bool sixty = SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) == 0 && mode.refresh_rate >= 59 &&
                    mode.refresh_rate <= 61;
                m_renderer = SDL_CreateRenderer(m_window, -1, sixty ? SDL_RENDERER_PRESENTVSYNC : 0);
                if (m_renderer && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && Renderer_Is_Software_Gl(m_renderer))
                {
                    SDL_DestroyRenderer(m_renderer);
                    m_renderer = nullptr;
                }
                if (!m_renderer)
                    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
                bool vsync = false;
                if (m_renderer)
                {
                    SDL_RendererInfo info;
                    vsync = sixty && SDL_GetRendererInfo(m_renderer, &info) == 0 &&
                        (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
                    SDL_RenderSetLogicalSize(m_renderer, 640, 480);
                    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
                }
                // With a working refresh wait this floor never bites; without
                // one it holds the show at 60 frames a second.
                m_pacer = Frame_Pacer(std::chrono::microseconds(vsync ? 15500 : 16667));
                m_paced = !Display_Is_Headless();
            }

            // Texture, renderer, window (own one, or leaves the main window's
            // full screen), in that order; the cursor comes back.
            ~Live_Display() override
            {
                if (m_texture)
                    SDL_DestroyTexture(m_texture);
                if (m_renderer)
                    SDL_DestroyRenderer(m_renderer);
                if (m_window)
                {
                    if (m_own_window)
                        SDL_DestroyWindow(m_window);
                    else
                    {
                        SDL_SetWindowFullscreen(m_window, 0);
                        SDL_HideWindow(m_window);
                    }
                }
                if (Video_Started())
                    SDL_ShowCursor(SDL_ENABLE);
            }

            HRESULT Set_Mode(int width, int height, int bits) override
            {
                if (!m_renderer)
                    return DDERR_GENERIC;
                if (bits != 32 && bits != 16)
                    return DDERR_UNSUPPORTEDMODE;
                if (m_texture)
                {
                    SDL_DestroyTexture(m_texture);
                    m_texture = nullptr;
                }
                // XRGB, not ARGB: the frame buffer's top byte is 0 after a
                // clear and must not turn the picture transparent.
                Uint32 format = bits == 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
                m_texture = SDL_CreateTexture(m_renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
                if (!m_texture)
                    return DDERR_UNSUPPORTEDMODE;
                SDL_SetTextureBlendMode(m_texture, SDL_BLENDMODE_NONE);
                m_width = width;
                m_height = height;
                return DD_OK;
            }

            HRESULT Present(const void* pixels, std::int32_t pitch) override
            {
                if (!m_texture || SDL_UpdateTexture(m_texture, nullptr, pixels, pitch) != 0)
                    return DDERR_SURFACELOST;
                // Alt+Enter takes effect between two frames; the music and the
                // schedule of flips go on undisturbed.
                if (Take_Full_Screen_Toggle())
                {
                    m_windowed = !m_windowed;
                    if (m_windowed)
                        Go_Windowed(m_window, m_width, m_height);
                    else
                        Go_Full_Screen(m_window);
                }
                SDL_RenderClear(m_renderer);
                SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
                SDL_RenderPresent(m_renderer);
                if (m_paced)
                    m_pacer.Wait();
                return DD_OK;
            }

        private:
            SDL_Window* m_window = nullptr;
            bool m_own_window = false;
            SDL_Renderer* m_renderer = nullptr;
            SDL_Texture* m_texture = nullptr;
            Frame_Pacer m_pacer{std::chrono::microseconds(16667)};
            bool m_paced = false;
            bool m_windowed = false;
            int m_width = 0;
            int m_height = 0;
        };
    }

    std::unique_ptr<Display_Backend> Create_Live_Display(void* window)
    {
        return std::make_unique<Live_Display>(window);
    }

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
}
