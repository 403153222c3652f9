// The opening scene: a turning string figure of anti-aliased additive lines
// whose colour flashes on the beats, with greyscale text images and a faint
// light bar cued by the music from order 4 on.
#pragma once
#include <cstdint>
#include <vector>
#include "Code/Effect.h"
#include "Code/Line_Figure.h"
#include "Code/Line_Part_Setup.h"
#include "Code/Texture.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Window;

    class Line_Part : public Effect
    {
    public:
        static constexpr int Image_Count = 26;

        Line_Part(Window* window, const Line_Part_Setup& setup, Texture_Loader loader);
        ~Line_Part() override = default;
        Line_Part(const Line_Part&) = delete;
        Line_Part& operator=(const Line_Part&) = delete;

        void Update() override;
        void Render() override;

        // For tests: what the frame is built from.
        const Line_Point& Get_Base_Point(std::uint32_t i) const { return m_base[i]; }
        const Line_Point& Get_Turned_Point(std::uint32_t i) const { return m_turned[i]; }
        float Get_Phase() const { return m_phase; }
        float Get_Speed() const { return m_speed; }
        float Get_Scale() const { return m_scale; }
        float Get_Rate() const { return m_rate; }
        std::uint32_t Get_Colour() const { return m_colour; }
        Texture* Get_Image(int i) const { return m_images[i].Get(); }
        Texture* Get_Overlay() const { return m_overlay; }

    private:
        // The cue state: once for the class, since the show builds one
        // Line_Part; the constructor resets it so a second one starts clean.
        struct Cue_State
        {
            float previous_time = 0.0f;
            float flash = 0.0f;
            std::int32_t previous_row = -1;
            float bar_position = 0.0f;
            float bar_level = 0.0f;
            float ramp_start = 0.0f;
            bool ramp_started = false;
        };
        static Cue_State s_cue;

        void Apply_Overlay_Cue(std::int32_t order, std::int32_t row);
        void Draw_Segments(std::uint32_t line_colour);
        void Draw_Bars();

        Window* m_window;
        std::vector<Line_Point> m_base;
        std::vector<Line_Point> m_turned;
        float m_phase = 0.0f;
        std::uint32_t m_colour;
        std::int32_t m_type;
        std::uint32_t m_count;
        std::uint32_t m_base_colour;
        float m_scale = 1.0f;
        float m_rate = 0.004f;
        float m_speed = 1.0f;
        Ryx_Lib::Single<Texture> m_images[Image_Count];
        // Bytes of each image that may be laid, decided once at load.
        std::size_t m_image_bytes[Image_Count] = {};
        Texture* m_overlay = nullptr;
        std::size_t m_overlay_bytes = 0;
    };

    Ryx_Lib::Single<Effect> Create_Line_Part(Window* window, const Line_Part_Setup& setup,
                                             Texture_Loader loader = &Load_TGA_Texture);
}
