// Draws one frame of a raster workload of the benchmarks: "grid" (41 x 24
// lattice, 640 x 368 pixels) or "lines N" (N segments of the line figures).
// Everything is built first; the frame itself runs inside Measured_Frame, the
// one function callgrind collects (--toggle-collect=Measured_Frame).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Bench/Raster_Workload.h"
#include "Code/Grid.h"
#include "Code/Line.h"
#include "Code/Shader.h"
#include "Tests/Support/Memory_Window.h"

namespace
{
    Ryx_Test::Memory_Window s_window(640, 480);

    __attribute__((noinline)) void Measured_Frame(Ryx_Vektu::Grid* grid, const std::vector<Ryx_Bench::Segment>& lines)
    {
        if (grid)
            grid->Render();
        for (const Ryx_Bench::Segment& s : lines)
            Ryx_Vektu::Draw_AA_Line(&s_window, 0xFF3080C0u, s.x0, s.y0, s.x1, s.y1);
    }
}

int main(int argc, char** argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "grid") != 0 && std::strcmp(argv[1], "lines") != 0))
    {
        std::fprintf(stderr, "usage: raster_frames grid | lines [500|1500]\n");
        return 2;
    }
    Ryx_Bench::Pattern_Texture texture;
    Ryx_Lib::Single<Ryx_Vektu::Grid> grid;
    std::vector<Ryx_Bench::Segment> lines;
    if (std::strcmp(argv[1], "grid") == 0)
    {
        grid = Ryx_Vektu::Create_Grid(&s_window, &texture, 41, 24);
        Ryx_Bench::Lay_Out_Lattice(*grid, 0.7f);
        Ryx_Vektu::Get_Shader();  // the table is built before the frame
    }
    else
    {
        lines = Ryx_Bench::Figure(argc > 2 ? std::atoi(argv[2]) : 1500, 0.37f);
        // The weighted colours are built once per colour, so once per frame in
        // the scenes: a first line outside the frame builds them here too.
        Ryx_Vektu::Draw_AA_Line(&s_window, 0xFF3080C0u, 0.0f, 0.0f, 1.0f, 0.0f);
    }
    Measured_Frame(grid.Get(), lines);
    std::printf("%08x\n", s_window.At(320, 240));
    return 0;
}
