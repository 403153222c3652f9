// Placeholder entry: opens the display, draws a pattern, fades it, exits 0.
#include "Code/DX_Window.h"

using namespace Ryx_Vektu;

int main()
{
    Ryx_Lib::Single<Window> window = Create_DX_Window(nullptr, nullptr, 640, 480, 32);
    std::uint32_t* pixels = window->Get_Buffer();
    for (std::uint32_t y = 0; y < window->Get_Height(); ++y)
        for (std::uint32_t x = 0; x < window->Get_Width(); ++x)
            pixels[y * window->Get_Width() + x] = 0xFF000000u | (x & 255) << 16 | (y & 255) << 8 | ((x ^ y) & 255);
    for (int frame = 0; frame < 8; ++frame)
    {
        window->Present();
        window->Begin_Frame(2);
    }
    return 0;
}
