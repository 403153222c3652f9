// The exported rasterizer interface. Nothing in the show implements or calls
// it; its destructor, vtable and type information live in the library so
// that a class in another module can derive from it.
#pragma once
#include <cstdint>

// The build defines it itself where libraries export otherwise (Windows DLLs).
#ifndef RYX_RASTERIZER_API
#define RYX_RASTERIZER_API __attribute__((visibility("default")))
#endif

namespace Ryx_Rasterizer
{
    class RYX_RASTERIZER_API Rasterizer
    {
    public:
        virtual ~Rasterizer();
        // Sets the 32-bit frame buffer that the next spans go to.
        virtual void Set_Target(std::uint32_t* pixels, int width, int height) = 0;
        // Fills pixels [x0, x1) of row y with a colour.
        virtual void Fill_Span(int y, int x0, int x1, std::uint32_t colour) = 0;
        // Ends a frame: any buffered spans reach the target.
        virtual void Flush() = 0;
    };
}
