// The closing scene: a denser turning string figure in teal that flashes on
// every second playing row, with drum-named greyscale images laid from screen
// row 60 in orders 30 to 32 and a random flicker fading to black from order 33.
#pragma once
#include <cstdint>
#include <vector>
#include "Code/Effect.h"
#include "Code/Line_Part.h"
#include "Code/Line_Part_Setup.h"
#include "Code/Texture.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    class Window;

    // A class of its own, not a Line_Part: its cue state is its own too.
    class Line_Part_2 : public Effect
    {
    public:
        static constexpr int Image_Count = 8;
        // The images start this many rows below the top of the screen.
        static constexpr std::uint32_t Overlay_Top = 60;

        Line_Part_2(Window* window, const Line_Part_Setup& setup, Texture_Loader loader);
        ~Line_Part_2() override = default;
        Line_Part_2(const Line_Part_2&) = delete;
        Line_Part_2& operator=(const Line_Part_2&) = delete;

        void Update() override;
        void Render() override;

        // For tests: what the frame is built from.
        const Line_Point& Get_Turned_Point(std::uint32_t i) const { return m_turned[i]; }
        float Get_Phase() const { return m_phase; }
        float Get_Speed() const { return m_speed; }
        float Get_Rate() const { return m_rate; }
        std::uint32_t Get_Colour() const { return m_colour; }
        Texture* Get_Image(int i) const { return m_images[i].Get(); }
        Texture* Get_Overlay() const { return m_overlay; }

    private:
        struct Cue_State
        {
            float previous_time = 0.0f;
            float flash = 0.0f;
            std::int32_t previous_row = -1;
            float start_time = 0.0f;
            bool started = false;
            float fade_start = 0.0f;
            bool fading = false;
        };
        static Cue_State s_cue;

        void Apply_Overlay_Cue(std::int32_t order, std::int32_t row);
        void Set_Overlay(int image);
        void Draw_Segments(std::uint32_t line_colour);

        Window* m_window;
        std::vector<Line_Point> m_base;
        std::vector<Line_Point> m_turned;
        float m_phase = 0.0f;
        std::uint32_t m_colour;
        [[maybe_unused]] std::int32_t m_type;  // kept, not looked at: the figure is always the same
        std::uint32_t m_count;
        [[maybe_unused]] std::uint32_t m_base_colour;
        float m_scale = 1.0f;  // switched like Line_Part's, never drawn with
        float m_rate = 0.004f;
        float m_speed = 1.0f;
        Ryx_Lib::Single<Texture> m_images[Image_Count];
        std::size_t m_image_bytes[Image_Count] = {};
        Texture* m_overlay = nullptr;
        std::size_t m_overlay_bytes = 0;
    };

    Ryx_Lib::Single<Effect> Create_Line_Part_2(Window* window, const Line_Part_Setup& setup,
                                               Texture_Loader loader = &Load_TGA_Texture);
}
