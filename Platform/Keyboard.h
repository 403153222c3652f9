// The key-state call the engine polls once a frame.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    constexpr int VK_ESCAPE = 0x1B;

    // Bit 15: the key is down now; bit 0: it was pressed since the last query
    // (that bit is cleared by the query). Presses are latched from the moment
    // the video starts, so a press and release between two polls still count.
    std::int16_t GetAsyncKeyState(int key);

    // Test hook: as if the key had been pressed and released.
    void Keyboard_Press(int key);
    // Test hook: puts a key event on the platform's event queue, as the
    // keyboard would (only while the video runs).
    void Inject_Key_Event(int key, bool down);
}
