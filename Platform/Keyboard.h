// The key-state call the engine polls once a frame.
#pragma once
#include <cstdint>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    constexpr int VK_ESCAPE = 0x1B;

    // Bit 15: the key is down now; bit 0: it was pressed since the last query
    // (that bit is cleared by the query). Presses are latched from the moment
    // the video starts, so a press and release between two polls still count.
    RYX_PLATFORM_API std::int16_t GetAsyncKeyState(int key);
}
