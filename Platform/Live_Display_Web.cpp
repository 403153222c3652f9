// The live display in a browser: each finished frame goes to the page
// (Module.orvi.present, a 640 x 480 canvas the page scales), then the program
// waits, through Asyncify, for the animation frame the page paces to 60 a
// second. The wait is what lets the browser run at all: the engine's loop
// never returns to it. The page also runs the program's next frame inside
// that animation frame, so a frame is drawn and shown in the same refresh.
#include <SDL.h>
#include <emscripten.h>
#include <cstdint>
#include <string>
#include <vector>
#include "Platform/Display_Backend.h"
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
        // SDL's keyboard handlers would take every key of the page (and stop
        // the browser's own use of some). The page hands the program the keys
        // it means for it (Page_Web.cpp): SDL listens on its own hidden
        // canvas, which never has the focus.
        void Keep_Sdl_Off_The_Keyboard() { SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas"); }

        class Page_Display : public Display_Backend
        {
        public:
            Page_Display()
            {
                Keep_Sdl_Off_The_Keyboard();
                m_live = Start_Video();
            }

            // The page's canvas takes 32-bit pixels only; the show then
            // keeps its 32-bit frame buffer.
            HRESULT Set_Mode(int width, int height, int bits) override
            {
                if (!m_live)
                    return DDERR_GENERIC;
                if (bits != 32)
                    return DDERR_UNSUPPORTEDMODE;
                m_rgba.assign(std::size_t(width) * height, 0xFF000000u);
                m_width = width;
                m_height = height;
                return DD_OK;
            }

            HRESULT Present(const void* pixels, std::int32_t pitch) override
            {
                if (m_rgba.empty())
                    return DDERR_SURFACELOST;
                // 0x00RRGGBB in memory is B, G, R, 0; the canvas wants R, G,
                // B, 255.
                std::uint32_t* to = m_rgba.data();
                for (int y = 0; y < m_height; ++y)
                {
                    const auto* from = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(pixels) +
                                                                              std::ptrdiff_t(y) * pitch);
                    for (int x = 0; x < m_width; ++x)
                    {
                        std::uint32_t p = from[x];
                        *to++ = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
                    }
                }
                Web_Present(m_rgba.data(), m_width, m_height);
                Web_Wait_Frame();
                return DD_OK;
            }

        private:
            bool m_live = false;
            std::vector<std::uint32_t> m_rgba;
            int m_width = 0;
            int m_height = 0;
        };
    }

    std::unique_ptr<Display_Backend> Create_Live_Display(void*) { return std::make_unique<Page_Display>(); }

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
}
