// The grid renderer: fills the window between lattice vertices in 16 x 16
// cells, interpolating texture coordinates and shade bilinearly in 16.16 fixed
// point, one texel and three shade-table lookups per pixel.
//
// Fixed-point sums are taken in uint32_t (wrapping, no overflow) and read as
// int32_t only for the arithmetic shifts.
#include "Code/Grid.h"

#include <cstdio>
#include <memory>
#include <utility>
#include <new>
#include "Code/Shader.h"
#include "Code/Texture.h"
#include "Code/Window.h"
#include "Lib/Assertion.h"

namespace Ryx_Vektu
{
    namespace
    {
        // A coordinate difference taken modulo 256 texels (signed 24 bits)
        // and divided by 16, so that a whole turn interpolates the short way.
        inline std::uint32_t Wrap16(std::uint32_t d) { return std::uint32_t(std::int32_t(d << 8) >> 12); }

        inline std::uint32_t Shade_Step(std::uint32_t d) { return std::uint32_t(std::int32_t(d) >> 4); }

        class Grid_Impl : public Grid
        {
        public:
            Grid_Impl(Window* window, Texture* texture, int columns, int rows, std::unique_ptr<Grid_Vertex[]> vertices)
                : m_window(window), m_texture(texture), m_columns(columns), m_rows(rows),
                  m_vertices(std::move(vertices))
            {
                Derive();
            }

            int Get_Columns() override { return m_columns; }
            int Get_Rows() override { return m_rows; }
            Grid_Vertex* Get_Vertices() override { return m_vertices.get(); }
            void Render() override;
            void Set_Texture(Texture* texture) override
            {
                m_texture = texture;
                Derive();
            }

        private:
            void Derive();

            Window* m_window;
            Texture* m_texture;
            std::int32_t m_columns;
            std::int32_t m_rows;
            std::unique_ptr<Grid_Vertex[]> m_vertices;
            std::int32_t m_half_width = 0;
            std::int32_t m_half_height = 0;
            std::int32_t m_width_shift = 0;
            std::int32_t m_height_mask = 0;
            std::int32_t m_width_mask = 0;
            // False when the texture cannot be sampled safely: no pixels,
            // fewer than 4 bytes a texel, a width that is not a power of two
            // up to 1024, or no rows. Render then draws nothing.
            bool m_texture_usable = false;
        };

        void Grid_Impl::Derive()
        {
            m_texture_usable = false;
            if (!m_texture)
                return;
            const int width = m_texture->Get_Width();
            const int height = m_texture->Get_Height();
            m_half_height = height / 2;
            m_half_width = width / 2;
            m_height_mask = height - 1;
            m_width_mask = width - 1;
            int shift = 0;
            while (shift <= 10 && width != 1 << shift)
                ++shift;
            if (shift > 10)
            {
                // The report names no texture: say which one it is.
                std::fprintf(stderr,
                             "Grid: texture %s is %d x %d pixels; a grid needs a width that is a power of two "
                             "up to 1024, and draws nothing with it\n",
                             m_texture->Get_Name(), width, height);
                RYX_ASSERT(!"invalid texture width");
                return;
            }
            m_width_shift = shift;
            m_texture_usable = height >= 1 && m_texture->Get_Pixels() && m_texture->Get_Bytes_Per_Pixel() >= 4;
        }

        // What one render needs from the grid, the texture and the shader,
        // in locals, so the pixel loop reloads nothing.
        struct Sampler
        {
            const std::uint8_t* texels;
            const std::uint8_t* table;
            std::uint32_t u_offset;  // half the height, in 16.16, added to u
            std::uint32_t v_offset;  // half the width, added to v
            std::uint32_t width_mask;
            std::uint32_t height_mask;
            std::uint32_t width_shift;
        };

        // Every whole cell of the lattice that lies inside the window.
        //
        // The half-size offsets are added to the coordinates once per cell
        // instead of per pixel: only the low bits of (u >> 16) + offset
        // survive the width mask, and those are the low bits of
        // (u + (offset << 16)) >> 16. In the same way, for a height mask
        // below 2^16, ((v >> 16) & height mask) << width shift is
        // (v >> (16 - width shift)) & (height mask << width shift). Taller
        // textures take the literal form (Tall). Shift is the texture's width
        // shift as a constant, which keeps masks and shifts out of registers;
        // -1 reads it from the sampler.
        template <bool Tall, int Shift>
        void Fill_Cells(std::uint32_t* buffer, std::int64_t width, std::int64_t height, std::int64_t top,
                        const Grid_Vertex* vertices, std::int64_t columns, std::int64_t rows, const Sampler& sampler)
        {
            const std::uint8_t* const texels = sampler.texels;
            const std::uint8_t* const table = sampler.table;
            const std::uint32_t width_shift = Shift >= 0 ? std::uint32_t(Shift) : sampler.width_shift;
            const std::uint32_t width_mask = Shift >= 0 ? (1u << Shift) - 1 : sampler.width_mask;
            const std::uint32_t height_mask = sampler.height_mask;
            const std::uint32_t row_mask = height_mask << width_shift;
            const std::uint32_t v_shift = 16 - width_shift;
            const std::uint32_t u_offset = sampler.u_offset;
            const std::uint32_t v_offset = Tall ? 0 : sampler.v_offset;
            const std::uint32_t half_width = sampler.v_offset >> 16;

            for (std::int64_t i = 0; i + 1 < rows; ++i)
            {
                const std::int64_t cell_top = top + 16 * i;
                if (cell_top < 0 || cell_top + 16 > height)
                    continue;
                const Grid_Vertex* upper = vertices + i * columns;
                const Grid_Vertex* lower = upper + columns;
                for (std::int64_t j = 0; j + 1 < columns && 16 * (j + 1) <= width; ++j)
                {
                    const Grid_Vertex& v00 = upper[j];
                    const Grid_Vertex& v01 = upper[j + 1];
                    const Grid_Vertex& v10 = lower[j];
                    const Grid_Vertex& v11 = lower[j + 1];
                    std::uint32_t ul = std::uint32_t(v00.u) + u_offset, ur = std::uint32_t(v01.u) + u_offset;
                    std::uint32_t vl = std::uint32_t(v00.v) + v_offset, vr = std::uint32_t(v01.v) + v_offset;
                    std::uint32_t sl = v00.shade, sr = v01.shade;
                    const std::uint32_t dul = Wrap16(std::uint32_t(v10.u) - std::uint32_t(v00.u));
                    const std::uint32_t dvl = Wrap16(std::uint32_t(v10.v) - std::uint32_t(v00.v));
                    const std::uint32_t dsl = Shade_Step(std::uint32_t(v10.shade) - sl);
                    const std::uint32_t dur = Wrap16(std::uint32_t(v11.u) - std::uint32_t(v01.u));
                    const std::uint32_t dvr = Wrap16(std::uint32_t(v11.v) - std::uint32_t(v01.v));
                    const std::uint32_t dsr = Shade_Step(std::uint32_t(v11.shade) - sr);

                    std::uint32_t* row = buffer + cell_top * width + 16 * j;
                    for (int py = 0; py < 16; ++py, row += width)
                    {
                        const std::uint32_t du = Wrap16(ur - ul);
                        const std::uint32_t dv = Wrap16(vr - vl);
                        const std::uint32_t ds = Shade_Step(sr - sl);
                        std::uint32_t u = ul, v = vl, s = sl;
#pragma GCC unroll 16
                        for (int px = 0; px < 16; ++px)
                        {
                            const std::uint32_t x = (u >> 16) & width_mask;
                            std::uint32_t y;
                            if (Tall)
                                y = ((std::uint32_t(std::int32_t(v) >> 16) + half_width) & height_mask) << width_shift;
                            else
                                y = (v >> v_shift) & row_mask;
                            const std::uint8_t* t = texels + 4 * std::size_t(x + y);
                            // (s >> 16) & 0x1FF, times the 256 bytes of a level.
                            const std::uint8_t* level = table + ((s >> 8) & 0x1FF00);
                            row[px] = 0xFF000000u | std::uint32_t(level[t[2]]) << 16 | std::uint32_t(level[t[1]]) << 8 |
                                level[t[0]];
                            u += du;
                            v += dv;
                            s += ds;
                        }
                        ul += dul;
                        vl += dvl;
                        sl += dsl;
                        ur += dur;
                        vr += dvr;
                        sr += dsr;
                    }
                }
            }
        }

        using Cell_Filler = void (*)(std::uint32_t*, std::int64_t, std::int64_t, std::int64_t, const Grid_Vertex*,
                                     std::int64_t, std::int64_t, const Sampler&);

        template <int... Shifts>
        Cell_Filler Pick_Filler(bool tall, std::uint32_t shift, std::integer_sequence<int, Shifts...>)
        {
            static constexpr Cell_Filler by_shift[] = {&Fill_Cells<false, Shifts>...};
            return tall || shift >= sizeof...(Shifts) ? &Fill_Cells<true, -1> : by_shift[shift];
        }

        void Grid_Impl::Render()
        {
            RYX_ASSERT(Get_Shader() != 0);
            Shader* shader = Get_Shader();
            if (!shader || !m_texture_usable || !m_window || !m_vertices)
                return;
            std::uint32_t* buffer = m_window->Get_Buffer();
            const std::int64_t width = m_window->Get_Width();
            const std::int64_t height = m_window->Get_Height();
            if (!buffer)
                return;
            const Sampler sampler{static_cast<const std::uint8_t*>(m_texture->Get_Pixels()),
                                  shader->table,
                                  std::uint32_t(m_half_height) << 16,
                                  std::uint32_t(m_half_width) << 16,
                                  std::uint32_t(m_width_mask),
                                  std::uint32_t(m_height_mask),
                                  std::uint32_t(m_width_shift)};
            const Cell_Filler fill =
                Pick_Filler(m_height_mask > 0xFFFF, sampler.width_shift, std::make_integer_sequence<int, 11>());
            fill(buffer, width, height, (height + 16 - 16 * std::int64_t(m_rows)) / 2, m_vertices.get(), m_columns,
                 m_rows, sampler);
        }
    }

    Ryx_Lib::Single<Grid> Create_Grid(Window* window, Texture* texture, int columns, int rows)
    {
        if (columns < 0)
            columns = 0;
        if (rows < 0)
            rows = 0;
        const std::size_t count = std::size_t(columns) * std::size_t(rows);
        std::unique_ptr<Grid_Vertex[]> vertices(new (std::nothrow) Grid_Vertex[count]());
        if (!vertices)
            return Ryx_Lib::Single<Grid>();
        return Ryx_Lib::Single<Grid>(new (std::nothrow) Grid_Impl(window, texture, columns, rows, std::move(vertices)));
    }
}
