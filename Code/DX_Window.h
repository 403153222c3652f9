// The full-screen display behind the Window interface.
#pragma once
#include <cstdint>
#include "Code/Window.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    Ryx_Lib::Single<Window> Create_DX_Window(void* instance, void* window, std::uint32_t width,
                                             std::uint32_t height, std::uint32_t bits);
}
