// Placeholder grid: keeps its vertices, draws nothing.
#include "Code/Grid.h"

#include <vector>

namespace Ryx_Vektu
{
    namespace
    {
        class Grid_Impl : public Grid
        {
        public:
            Grid_Impl(int columns, int rows)
                : m_columns(columns), m_rows(rows), m_vertices(std::size_t(columns) * rows, Grid_Vertex{0, 0, 0}) {}
            int Get_Columns() override { return m_columns; }
            int Get_Rows() override { return m_rows; }
            Grid_Vertex* Get_Vertices() override { return m_vertices.data(); }
            void Render() override {}
            void Set_Texture(Texture*) override {}

        private:
            int m_columns;
            int m_rows;
            std::vector<Grid_Vertex> m_vertices;
        };
    }

    Ryx_Lib::Single<Grid> Create_Grid(Window*, Texture*, int columns, int rows)
    {
        return Ryx_Lib::Single<Grid>(new Grid_Impl(columns, rows));
    }
}
