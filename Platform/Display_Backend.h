// Internal to the platform layer: what shows a finished frame. Display_Create
// picks one backend and keeps it for the display's life: this system's live
// display (a window), the frame sink (offline: every frame to the capture
// tool), or a test's. Nothing else asks which one it is.
//
// The front (Display.cpp) owns the back buffer the show locks and draws into;
// at each flip it hands the finished pixels to the frame stage, when one is
// installed, and then to the backend. A new backend is a new file
// implementing this interface, installed with Set_Display_Backend or, as a
// system's live display, supplied by that system's Create_Live_Display.
#pragma once
#include <cstdint>
#include <memory>
#include "Platform/Display.h"

namespace Ryx_Platform
{
    class Display_Backend
    {
    public:
        virtual ~Display_Backend() = default;
        // Frames of this size and depth will come (32: XRGB 8888, 16: 5-6-5):
        // DD_OK, or the error that leaves the display without a back buffer.
        virtual HRESULT Set_Mode(int width, int height, int bits) = 0;
        // Shows one finished frame of the mode's size and depth; row y starts
        // at pixels + y * pitch bytes. It may wait for the frame's time, or
        // give control back to a browser page before it returns: the show's
        // loop simply presents its next frame after it.
        virtual HRESULT Present(const void* pixels, std::int32_t pitch) = 0;
    };

    // window: the main window the display takes over, or null for a window of
    // the display's own. Never null.
    using Display_Factory = std::unique_ptr<Display_Backend> (*)(void* window);

    // This system's live display. Never null: one that can show nothing
    // refuses every mode.
    std::unique_ptr<Display_Backend> Create_Live_Display(void* window);
    // Every frame to the frame sink, unpaced, 32 bits only.
    std::unique_ptr<Display_Backend> Create_Sink_Display(void* window);
    // What Display_Create uses from now on in place of the live display; null
    // restores the live one. Set_Frame_Sink installs the sink's.
    void Set_Display_Backend(Display_Factory factory);

    // A frame sink is set: the process shows nothing on a screen (no window,
    // no video, no warning box).
    bool Has_Frame_Sink();
}
