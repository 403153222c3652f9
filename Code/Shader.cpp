// The shade tables and their two shared instances.
#include "Code/Shader.h"

#include <new>

namespace Ryx_Vektu
{
    namespace
    {
        // Rows 0..255: (r * k) >> 8, by an accumulator growing by r.
        void Fill_Scaling(std::uint8_t* table)
        {
            for (std::uint32_t r = 0; r < 256; ++r)
            {
                std::uint32_t acc = 0;
                for (std::uint32_t k = 0; k < 256; ++k, acc += r)
                    table[256 * r + k] = std::uint8_t(acc >> 8);
            }
        }

        // Rows 256..511, m = r - 256: k + ((m * (255 - k)) >> 8), by an
        // accumulator falling from 255 * m by m.
        void Fill_Lifting(std::uint8_t* table)
        {
            for (std::uint32_t m = 0; m < 256; ++m)
            {
                std::uint32_t acc = 255 * m;
                for (std::uint32_t k = 0; k < 256; ++k, acc -= m)
                    table[256 * (256 + m) + k] = std::uint8_t((acc >> 8) + k);
            }
        }

        // A shader whose table could not be allocated is no shader at all.
        template <class T>
        Shader* New_Shader()
        {
            Shader* shader = new (std::nothrow) T;
            if (shader && !shader->table)
            {
                delete shader;
                shader = nullptr;
            }
            return shader;
        }
    }

    Shader::~Shader() { delete[] table; }

    Shader_1::Shader_1()
    {
        table = new (std::nothrow) std::uint8_t[512 * 256];
        if (table)
        {
            Fill_Scaling(table);
            Fill_Lifting(table);
        }
    }

    Shader_2::Shader_2()
    {
        table = new (std::nothrow) std::uint8_t[256 * 256];
        if (table)
            Fill_Scaling(table);
    }

    Shader* Get_Shader()
    {
        static Ryx_Lib::Single<Shader> shader(New_Shader<Shader_1>());
        return shader.Get();
    }

    Ryx_Lib::Single<Shader> Line_Shader(New_Shader<Shader_2>());
}
