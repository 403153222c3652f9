// The display calls the show makes, shaped like the flipping-chain calls of
// the design: create, set a 640 x 480 mode at 32 or 16 bits, lock the back
// buffer (pixels and row pitch, or a failure), unlock, flip, release.
//
// A live display is a desktop-sized full-screen window with a 640 x 480
// logical size (aspect kept, black bars), cursor hidden. The monitor's mode is
// never changed. Its flip paces presentation to 60 frames a second, because
// the show's per-frame decays were tuned for such a rate; offline rendering
// is never paced. Alt+Enter switches between full screen and a window of
// twice the frame's size, at the next flip.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    using HRESULT = std::int32_t;
    constexpr HRESULT DD_OK = 0;
    constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
    constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
    constexpr HRESULT DDERR_UNSUPPORTEDMODE = static_cast<HRESULT>(0x8876024Eu);

    class Display;

    // Whether a live display can be shown here (this starts the video, and
    // stops it again unless it was running); when not, the system's reason.
    RYX_PLATFORM_API bool Display_Available(std::string* reason);

    // Never null. window: the main window the display takes over, or null for
    // a window of the display's own.
    RYX_PLATFORM_API Display* Display_Create(void* window);
    // 32 bits: XRGB pixels; 16 bits: 5-6-5. DD_OK or an error, which leaves
    // the display without a back buffer (every later lock fails).
    RYX_PLATFORM_API HRESULT Display_Set_Mode(Display* display, int width, int height, int bits);
    // Depth of the back buffer, 0 when there is none.
    RYX_PLATFORM_API int Display_Get_Bits(Display* display);
    // Pixels of row y start at pixels + y * pitch bytes.
    RYX_PLATFORM_API HRESULT Display_Lock(Display* display, void** pixels, std::int32_t* pitch);
    RYX_PLATFORM_API void Display_Unlock(Display* display);
    RYX_PLATFORM_API HRESULT Display_Flip(Display* display);
    // Back buffer, presenter, window (own one, or leaves the main window's
    // full screen), in that order; the cursor comes back. Null is ignored.
    RYX_PLATFORM_API void Display_Release(Display* display);

    // Offline presentation. While a sink is set the display opens no window
    // and no video at all: every flipped frame (32-bit 0x00RRGGBB pixels, row
    // stride exactly the width) goes to the sink, unpaced. Null removes it.
    using Frame_Sink = void (*)(const std::uint32_t* pixels, int width, int height, void* user);
    RYX_PLATFORM_API void Set_Frame_Sink(Frame_Sink sink, void* user);

    // A step between the finished frame and the screen or the sink, applied
    // once a flip to the whole frame: what it writes is what is shown and
    // what the sink receives. A 16-bit display's frame reaches it widened to
    // 32 bits and goes back to 5-6-5 after.
    class Frame_Stage
    {
    public:
        virtual ~Frame_Stage() = default;
        // pixels: width x height 0x00RRGGBB, row stride exactly the width;
        // milliseconds: the show's clock (timeGetTime) at the flip.
        virtual void Apply(std::uint32_t* pixels, int width, int height, std::uint32_t milliseconds) = 0;
    };
    // Installs the stage every display flips through from now on; null
    // removes it.
    RYX_PLATFORM_API void Set_Frame_Stage(std::unique_ptr<Frame_Stage> stage);

    // The calm picture (Calm_Stage.h): the show's flashes kept within three
    // a second, in seconds of the show's clock, so at any frame rate.
    RYX_PLATFORM_API std::unique_ptr<Frame_Stage> Create_Calm_Stage();
}
