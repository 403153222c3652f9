// The closing scene. Numbers follow the same rule as the opening scene's:
// single-precision constants, double arithmetic, float results.
#include "Code/Line_Part_2.h"

#include <cmath>
#include "Code/Line.h"
#include "Code/Line_Overlay.h"
#include "Code/Overlay.h"
#include "Code/Music.h"
#include "Code/Random.h"
#include "Code/Timer.h"
#include "Code/To_Float.h"
#include "Code/Window.h"

namespace Ryx_Vektu
{
    Line_Part_2::Cue_State Line_Part_2::s_cue;

    namespace
    {
        const char* const c_image_paths[Line_Part_2::Image_Count] = {
            "texture/x1_basari.tga", "texture/x2_snare.tga", "texture/x3_vs1.tga", "texture/x1_vs2.tga",
            "texture/g1.tga",        "texture/g2.tga",       "texture/g3.tga",     "texture/g4.tga",
        };

        enum
        {
            basari,
            snare,
            vs1,
            vs2,
            g1,
            g2,
            g3,
            g4,
            keep = -1
        };

        // Image cued at each row mod 32 of look-ahead orders 30 and 31.
        constexpr int c_drums_30[32] = {
            basari, keep, keep, snare, keep,  keep, keep, vs1,    keep, vs2,  basari, keep, keep, snare, keep, vs1,
            basari, keep, keep, vs1,   snare, keep, keep, basari, keep, keep, snare,  keep, keep, vs1,   keep, vs2,
        };
        constexpr int c_drums_31[32] = {
            basari, keep, keep, keep, keep,  keep, snare, vs1,    keep, vs2,  basari, keep, keep, snare, keep, vs1,
            basari, keep, keep, vs1,  snare, keep, keep,  basari, keep, keep, snare,  keep, keep, vs1,   keep, vs2,
        };
        // Image cued at rows 0 to 31 of look-ahead order 32; later rows keep it.
        constexpr int c_g_32[32] = {
            g1, keep, keep, keep, g2, keep, keep, keep, keep, keep, g3, keep, g4, g2, g3, g4,
            g3, g1,   g2,   g3,   g4, g3,   g2,   g4,   g1,   g3,   g4, g2,   g4, g1, g2, g3,
        };
    }

    Line_Part_2::Line_Part_2(Window* window, const Line_Part_Setup& setup, Texture_Loader loader)
        : m_window(window), m_base(std::size_t(setup.count) * 2, Line_Point{0.0f, 0.0f}),
          m_turned(std::size_t(setup.count) * 2, Line_Point{0.0f, 0.0f}), m_colour(setup.colour), m_type(setup.type),
          m_count(setup.count), m_base_colour(setup.colour)
    {
        s_cue = Cue_State{};

        if (!loader)
            loader = &Load_TGA_Texture;
        std::uint32_t width = m_window->Get_Width();
        std::uint32_t height = m_window->Get_Height();
        // Room from the first pixel of row 60 to the end of the frame.
        std::size_t room = height > Overlay_Top ? std::size_t(width) * (height - Overlay_Top) : 0;
        for (int i = 0; i < Image_Count; ++i)
        {
            m_images[i] = loader(c_image_paths[i]);
            m_image_bytes[i] = Usable_Overlay_Bytes(m_images[i].Get(), c_image_paths[i], 0, room);
        }

        // The opening scene's type-0 figure, whatever the record's type.
        Make_Lissajous_Figure(m_base, m_count);
    }

    void Line_Part_2::Update()
    {
        double now = Get_Timer()->Get_Time();
        m_phase = To_Float(m_phase + (now - s_cue.previous_time) * m_speed * m_rate);
        s_cue.previous_time = To_Float(now);

        Turn_Figure(m_base, m_turned, m_phase);

        if (Get_Music()->Get_Order() >= 4 && m_scale <= 1.0f)
        {
            m_scale = 1.3f;
            m_rate = 0.01f;
        }
    }

    void Line_Part_2::Set_Overlay(int image)
    {
        if (image == keep)
            return;
        m_overlay = m_images[image].Get();
        m_overlay_bytes = m_image_bytes[image];
    }

    void Line_Part_2::Apply_Overlay_Cue(std::int32_t order, std::int32_t row)
    {
        if (order == 30)
            Set_Overlay(c_drums_30[row & 31]);
        else if (order == 31)
            Set_Overlay(c_drums_31[row & 31]);
        else if (order == 32 && row >= 0 && row < 32)
            Set_Overlay(c_g_32[row]);
        else if (order >= 33)
        {
            m_overlay = nullptr;
            m_overlay_bytes = 0;
        }
    }

    void Line_Part_2::Render()
    {
        m_window->Clear();
        std::uint32_t colour = m_colour;  // a change below shows from the next frame
        Music* music = Get_Music();
        Timer* timer = Get_Timer();

        // The beat follows the row now playing, the cues the row after it.
        std::int32_t r = static_cast<std::int32_t>(music->Get_Row());
        std::int32_t o = static_cast<std::int32_t>(music->Get_Order());
        if ((o != 0 ? r % 2 : r % 4) == 0 && r != s_cue.previous_row)
            s_cue.flash = 1.2f;
        if (o == 2 && 2 < r && r < 12)
        {
            s_cue.flash = 0.0f;
            m_colour = 0xFF081A20u;
        }

        Song_Pos ahead = music->Get_Pos();
        if (ahead.order >= 33)
        {
            double now = timer->Get_Time();
            if (!s_cue.fading)
            {
                s_cue.fade_start = To_Float(now);
                s_cue.fading = true;
            }
            // The ceiling falls from 1 to 0 over 1 / 0.107526876 = 9.3 seconds.
            double k = (now - s_cue.fade_start) * 0.107526876f;
            if (k > 1.0)
                k = 1.0;
            int level = Rand();
            s_cue.flash = To_Float(level * (1.0 - k) * 0.000030518509f);
        }
        Apply_Overlay_Cue(ahead.order, ahead.row);
        s_cue.previous_row = r;

        Draw_Segments(Line_Colour(colour, s_cue.flash));
        if (m_overlay)
            Add_Greyscale(m_window->Get_Buffer() + std::size_t(m_window->Get_Width()) * Overlay_Top,
                          static_cast<const std::uint8_t*>(m_overlay->Get_Pixels()), m_overlay_bytes);

        s_cue.flash = To_Float(double(s_cue.flash) * 0.56f);

        double now = timer->Get_Time();
        if (!s_cue.started)
        {
            s_cue.start_time = To_Float(now);
            s_cue.started = true;
        }
        m_speed = To_Float((now - s_cue.start_time) * 5.0 + 1.0);
    }

    void Line_Part_2::Draw_Segments(std::uint32_t line_colour)
    {
        Draw_Wobble_Segments(m_window, line_colour, m_turned, m_count, m_phase);
    }

    Ryx_Lib::Single<Effect> Create_Line_Part_2(Window* window, const Line_Part_Setup& setup, Texture_Loader loader)
    {
        return Ryx_Lib::Single<Effect>(new Line_Part_2(window, setup, loader));
    }
}
