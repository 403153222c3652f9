// The attractor scene: a texture warped by a field of five drifting swirl
// points, with light pulses, zooms, a jittering greyscale glitch layer,
// random inversions and a melt of darkening streaks.
#pragma once
#include <cstdint>
#include "Code/Effect.h"
#include "Code/Grid.h"
#include "Code/Texture.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Window;

    // Positions in grid units: x counts vertex columns, y vertex rows.
    struct Swirl_Point
    {
        float centre_x;
        float centre_y;
        float reach_x;
        float reach_y;
        float x;
        float y;
        float rate_x;
        float rate_y;
    };

    struct Swirl_Sum
    {
        float x;
        float y;
        float angle;
    };

    // The field at vertex (column i, row j): each point pushes away from
    // itself with length 10 / sqrt(distance), turned by the angle whose cosine
    // and sine are cs and sn; angle sums atan2(dx, dy) over the points.
    Swirl_Sum Sum_Swirl(const Swirl_Point* points, int count, int i, int j, float cs, float sn);

    class Attractor_1 : public Effect
    {
    public:
        explicit Attractor_1(Window* window, Texture_Loader load_jpg = &Load_JPG_Texture,
                             Texture_Loader load_tga = &Load_TGA_Texture);
        void Update() override;
        void Render() override;

        // The grid the scene draws: tests read its vertices.
        Grid* Get_Grid() { return m_grid.Get(); }

    private:
        void Update_Cues();
        void Update_Vertices();
        void Draw_Glitch();
        void Invert();
        void Melt();

        Window* m_window;
        Ryx_Lib::Single<Texture> m_textures[3];
        Ryx_Lib::Single<Texture> m_pictures[4];
        Texture* m_overlay = nullptr;
        Ryx_Lib::Single<Grid> m_grid;
        // Left unset by the design; both rest at 1.0, where they relax to.
        float m_pulse = 1.0f;
        float m_spread = 1.0f;
        bool m_draw_grid = true;
        float m_theta = 0.0f;
    };

    Ryx_Lib::Single<Effect> Create_Attractor_1(Window* window);
}
