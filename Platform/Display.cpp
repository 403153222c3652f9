// The front of every display: the back buffer the show locks and draws into,
// and the flip that hands the finished frame to the frame stage, when one is
// installed, and then to the backend Display_Create picked.
#include "Platform/Display.h"

#include <atomic>
#include <cstddef>
#include <vector>
#include "Platform/Clock.h"
#include "Platform/Display_Backend.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Display_Factory> s_factory{nullptr};
        std::unique_ptr<Frame_Stage> s_stage;

        // 5-6-5 to 8-8-8 and back: each channel's top bits are kept, so a
        // pixel the stage leaves alone comes back exactly as it was.
        std::uint32_t Widen_565(std::uint16_t p)
        {
            std::uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
            return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
        }

        std::uint16_t Narrow_To_565(std::uint32_t p)
        {
            return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
        }
    }

    class Display
    {
    public:
        std::unique_ptr<Display_Backend> backend;
        std::vector<std::uint32_t> memory;   // the back buffer, of the mode's depth
        std::vector<std::uint32_t> widened;  // a 16-bit frame as the stage sees it
        int width = 0;
        int height = 0;
        int bits = 0;

        std::int32_t Pitch() const { return width * (bits / 8); }

        void Apply_Stage(Frame_Stage& stage)
        {
            std::uint32_t now = timeGetTime();
            if (bits == 32)
            {
                stage.Apply(memory.data(), width, height, now);
                return;
            }
            std::size_t count = std::size_t(width) * height;
            auto* shown = reinterpret_cast<std::uint16_t*>(memory.data());
            widened.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                widened[i] = Widen_565(shown[i]);
            stage.Apply(widened.data(), width, height, now);
            for (std::size_t i = 0; i < count; ++i)
                shown[i] = Narrow_To_565(widened[i]);
        }
    };

    void Set_Display_Backend(Display_Factory factory) { s_factory.store(factory); }

    void Set_Frame_Stage(std::unique_ptr<Frame_Stage> stage) { s_stage = std::move(stage); }

    Display* Display_Create(void* window)
    {
        Display* display = new Display;
        Display_Factory factory = s_factory.load();
        display->backend = factory ? factory(window) : Create_Live_Display(window);
        return display;
    }

    HRESULT Display_Set_Mode(Display* display, int width, int height, int bits)
    {
        if (!display || width <= 0 || height <= 0)
            return DDERR_GENERIC;
        display->memory.clear();
        display->bits = 0;
        HRESULT result = display->backend->Set_Mode(width, height, bits);
        if (result != DD_OK)
            return result;
        display->width = width;
        display->height = height;
        display->bits = bits;
        display->memory.assign((std::size_t(width) * height * (bits / 8) + 3) / 4, 0u);
        return DD_OK;
    }

    int Display_Get_Bits(Display* display) { return display ? display->bits : 0; }

    HRESULT Display_Lock(Display* display, void** pixels, std::int32_t* pitch)
    {
        if (!display || !pixels || !pitch || display->bits == 0)
            return DDERR_SURFACELOST;
        *pixels = display->memory.data();
        *pitch = display->Pitch();
        return DD_OK;
    }

    void Display_Unlock(Display*) {}

    HRESULT Display_Flip(Display* display)
    {
        if (!display || display->bits == 0)
            return DDERR_SURFACELOST;
        if (s_stage)
            display->Apply_Stage(*s_stage);
        return display->backend->Present(display->memory.data(), display->Pitch());
    }

    void Display_Release(Display* display) { delete display; }
}
