// The tunnel scene: a flight down a textured tube whose cross-section pulses
// between four and three lobes, steered by keyframe tracks, ending in a fade
// through a ragged band of a second picture.
#pragma once
#include <cstdint>
#include "Code/Effect.h"
#include "Code/Grid.h"
#include "Code/Texture.h"
#include "Code/Vector.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Window;

    struct Track_Value
    {
        float first;
        float second;
    };

    class Tunnel : public Effect
    {
    public:
        explicit Tunnel(Window* window, Texture_Loader load_jpg = &Load_JPG_Texture);
        void Update() override;
        void Render() override;
        Track_Value Get_Track_Value();

        // The grid the scene draws: tests read its vertices.
        Grid* Get_Grid() { return m_grid.Get(); }

    private:
        void Update_Cues();
        void Update_Camera();
        void Update_Vertices();

        Window* m_window;
        Ryx_Lib::Single<Texture> m_textures[3];
        Texture* m_current_texture = nullptr;
        Ryx_Lib::Single<Grid> m_grid;
        Ryx_Lib::Single<Texture> m_overlay;
        Vector m_position;
        Vector m_direction;
        float m_roll;
        float m_radius;
        float m_lens;
        float m_time;
        float m_brightness;
        float m_steer;
        float m_morph;
        float m_fade;
        std::int32_t m_order = 0;  // current order, read once per Update
        std::int32_t m_row = 0;    // current row, read once per Update
    };

    Ryx_Lib::Single<Effect> Create_Tunnel(Window* window);
}
