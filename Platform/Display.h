// The display calls the show makes, shaped like the flipping-chain calls of
// the design: create, set a 640 x 480 mode at 32 or 16 bits, lock the back
// buffer (pixels and row pitch, or a failure), unlock, flip, release.
//
// A live display is a desktop-sized full-screen window with a 640 x 480
// logical size (aspect kept, black bars), cursor hidden, one streaming
// texture as the back buffer. The monitor's mode is never changed. Its flip
// paces presentation to 60 frames a second, because the show's per-frame
// decays were tuned for such a rate; offline rendering is never paced.
// Alt+Enter switches between full screen and a window of twice the frame's
// size, at the next flip.
#pragma once
#include <cstdint>
#include <string>

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
    bool Display_Available(std::string* reason);

    // Never null. window: the main window the display takes over, or null for
    // a window of the display's own.
    Display* Display_Create(void* window);
    // 32 bits: XRGB pixels; 16 bits: 5-6-5. DD_OK or an error, which leaves
    // the display without a back buffer (every later lock fails).
    HRESULT Display_Set_Mode(Display* display, int width, int height, int bits);
    // Depth of the back buffer, 0 when there is none.
    int Display_Get_Bits(Display* display);
    // Pixels of row y start at pixels + y * pitch bytes.
    HRESULT Display_Lock(Display* display, void** pixels, std::int32_t* pitch);
    void Display_Unlock(Display* display);
    HRESULT Display_Flip(Display* display);
    // Back buffer, presenter, window (own one, or leaves the main window's
    // full screen), in that order; the cursor comes back. Null is ignored.
    void Display_Release(Display* display);

    // Offline presentation. While a sink is set the display opens no window
    // and no video at all: every flipped frame (32-bit 0x00RRGGBB pixels, row
    // stride exactly the width) goes to the sink, unpaced. Null removes it.
    using Frame_Sink = void (*)(const std::uint32_t* pixels, int width, int height, void* user);
    void Set_Frame_Sink(Frame_Sink sink, void* user);
    bool Has_Frame_Sink();

    // Test hooks: make a mode of this depth fail (0: none), make every lock
    // fail with DDERR_SURFACELOST.
    void Display_Fail_Mode(int bits);
    void Display_Fail_Lock(bool on);

    // Pacing of a live display: automatic (paced unless the video driver is
    // the headless dummy or offscreen one), always or never.
    enum class Pacing
    {
        Automatic,
        Always,
        Never
    };
    void Set_Display_Pacing(Pacing pacing);
}

namespace Ryx_Platform
{
    // Test hook: while set, a lock of a live display hands out this memory
    // (of any pitch) instead of the back buffer, so a test can read what
    // Present wrote. Null removes it.
    void Display_Test_Surface(void* pixels, std::int32_t pitch);
}
