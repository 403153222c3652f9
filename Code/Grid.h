// The grid renderer: a lattice of texture coordinates and shades, filled in
// 16 x 16-pixel cells between the vertices.
#pragma once
#include <cstdint>
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Window;
    class Texture;

    // Fixed point with 16 fraction bits.
    struct Grid_Vertex
    {
        std::int32_t u;
        std::int32_t v;
        std::int32_t shade;
    };

    class Grid
    {
    public:
        virtual int Get_Columns() = 0;
        virtual int Get_Rows() = 0;
        // Rows x columns entries, row-major.
        virtual Grid_Vertex* Get_Vertices() = 0;
        virtual void Render() = 0;
        virtual void Set_Texture(Texture* texture) = 0;
        virtual ~Grid() = default;
    };

    Ryx_Lib::Single<Grid> Create_Grid(Window* window, Texture* texture, int columns, int rows);
}
