// The grid renderer: fills the window between lattice vertices in 16 x 16
// cells, interpolating texture coordinates and shade bilinearly in 16.16 fixed
// point, one texel and three shade-table lookups per pixel.
//
// Fixed-point sums are taken in uint32_t (wrapping, no overflow) and read as
// int32_t only for the arithmetic shifts.
#include "Code/Grid.h"

#include <memory>
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
            Grid_Impl(Window* window, Texture* texture, int columns, int rows,
                      std::unique_ptr<Grid_Vertex[]> vertices)
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
                RYX_ASSERT(!"invalid texture width");
                return;
            }
            m_width_shift = shift;
            m_texture_usable = height >= 1 && m_texture->Get_Pixels() && m_texture->Get_Bytes_Per_Pixel() >= 4;
        }

        void Grid_Impl::Render()
        {
            RYX_ASSERT(Get_Shader() != 0);
            Shader* shader = Get_Shader();
            if (!shader || !m_texture_usable || !m_window || !m_vertices)
                return;
            const std::uint8_t* table = shader->table;
            std::uint32_t* buffer = m_window->Get_Buffer();
            const std::int64_t width = m_window->Get_Width();
            const std::int64_t height = m_window->Get_Height();
            const std::uint8_t* texels = static_cast<const std::uint8_t*>(m_texture->Get_Pixels());
            if (!buffer)
                return;

            const std::int64_t top = (height + 16 - 16 * std::int64_t(m_rows)) / 2;
            const Grid_Vertex* vertices = m_vertices.get();
            for (std::int32_t i = 0; i + 1 < m_rows; ++i)
            {
                const std::int64_t cell_top = top + 16 * std::int64_t(i);
                // Only whole cells inside the window are drawn.
                if (cell_top < 0 || cell_top + 16 > height)
                    continue;
                for (std::int32_t j = 0; j + 1 < m_columns && 16 * std::int64_t(j + 1) <= width; ++j)
                {
                    const Grid_Vertex& v00 = vertices[std::int64_t(i) * m_columns + j];
                    const Grid_Vertex& v01 = vertices[std::int64_t(i) * m_columns + j + 1];
                    const Grid_Vertex& v10 = vertices[std::int64_t(i + 1) * m_columns + j];
                    const Grid_Vertex& v11 = vertices[std::int64_t(i + 1) * m_columns + j + 1];
                    std::uint32_t ul = v00.u, vl = v00.v, sl = v00.shade;
                    std::uint32_t ur = v01.u, vr = v01.v, sr = v01.shade;
                    const std::uint32_t dul = Wrap16(std::uint32_t(v10.u) - ul);
                    const std::uint32_t dvl = Wrap16(std::uint32_t(v10.v) - vl);
                    const std::uint32_t dsl = Shade_Step(std::uint32_t(v10.shade) - sl);
                    const std::uint32_t dur = Wrap16(std::uint32_t(v11.u) - ur);
                    const std::uint32_t dvr = Wrap16(std::uint32_t(v11.v) - vr);
                    const std::uint32_t dsr = Shade_Step(std::uint32_t(v11.shade) - sr);
                    std::uint32_t* row = buffer + cell_top * width + 16 * j;
                    for (int py = 0; py < 16; ++py, row += width)
                    {
                        const std::uint32_t du = Wrap16(ur - ul);
                        const std::uint32_t dv = Wrap16(vr - vl);
                        const std::uint32_t ds = Shade_Step(sr - sl);
                        std::uint32_t u = ul, v = vl, s = sl;
                        for (int px = 0; px < 16; ++px)
                        {
                            // Half the height goes with u and half the width with v.
                            const std::int32_t x = ((std::int32_t(u) >> 16) + m_half_height) & m_width_mask;
                            const std::int32_t y = ((std::int32_t(v) >> 16) + m_half_width) & m_height_mask;
                            const std::uint8_t* t = texels + 4 * std::int64_t(x + (y << m_width_shift));
                            const std::uint8_t* level = table + 256 * ((std::int32_t(s) >> 16) & 0x1FF);
                            row[px] = 0xFF000000u | std::uint32_t(level[t[2]]) << 16 |
                                      std::uint32_t(level[t[1]]) << 8 | level[t[0]];
                            u += du;
                            v += dv;
                            s += ds;
                        }
                        ul += dul; vl += dvl; sl += dsl;
                        ur += dur; vr += dvr; sr += dsr;
                    }
                }
            }
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
