// Shade tables: one byte lookup per colour channel instead of a multiply.
//
// Entry (level r, channel value k) is table[256 * r + k]. Shader_1 has 512
// levels: 0..255 scale toward black, 256 is the identity, 257..511 lift toward
// white. Shader_2 has the 256 scaling levels only. Two instances are shared:
// Get_Shader() for the grid, Line_Shader for the anti-aliased line.
#pragma once
#include <cstdint>
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Shader
    {
    public:
        virtual ~Shader();
        virtual int Get_Levels() = 0;

        // Levels x 256 bytes, owned; renderers read it directly. Null only
        // when it could not be allocated.
        std::uint8_t* table = nullptr;
    };

    class Shader_1 : public Shader
    {
    public:
        Shader_1();
        int Get_Levels() override { return 512; }
    };

    class Shader_2 : public Shader
    {
    public:
        Shader_2();
        int Get_Levels() override { return 256; }
    };

    // The grid's Shader_1, created on the first call and destroyed at exit;
    // null if it could not be allocated.
    Shader* Get_Shader();

    // The line's product table, a Shader_2 built during static initialisation.
    extern Ryx_Lib::Single<Shader> Line_Shader;
}
