// The opening scene. Constants are single-precision floats; every expression
// between them is promoted to double and only the stored results (points,
// phase, factors, line ends, cue values) are rounded back to float, so that
// the figure is the same bytes in every build.
#include "Code/Line_Part.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include "Code/Line.h"
#include "Code/Line_Overlay.h"
#include "Code/Overlay.h"
#include "Code/Music.h"
#include "Code/Random.h"
#include "Code/Saturating_Add.h"
#include "Code/Timer.h"
#include "Code/To_Float.h"
#include "Code/Window.h"
#include "Lib/Assertion.h"

namespace Ryx_Vektu
{
    Line_Part::Cue_State Line_Part::s_cue;

    namespace
    {
        // Per look-ahead order 4 to 7, the image cued at rows 0, 10, 16, 26,
        // 32, 42, 48 and 58: an image index, c_keep (no change) or c_clear.
        constexpr int c_keep = -1;
        constexpr int c_clear = -2;
        constexpr int c_cue_rows[8] = {0, 10, 16, 26, 32, 42, 48, 58};
        constexpr int c_cues[4][8] = {
            {0, 1, 2, 3, 4, 5, 6, 7},                                   // a1 to a8
            {8, 9, 10, 11, 12, 13, 14, 15},                             // b1 to b8
            {16, 17, 18, 19, 20, 21, 22, 23},                           // c1 to c8
            {24, 25, c_keep, c_keep, c_keep, c_keep, c_keep, c_clear},  // c9, c10, none
        };
    }

    Line_Part::Line_Part(Window* window, const Line_Part_Setup& setup, Texture_Loader loader)
        : m_window(window), m_base(std::size_t(setup.count) * 2, Line_Point{0.0f, 0.0f}),
          m_turned(std::size_t(setup.count) * 2, Line_Point{0.0f, 0.0f}), m_colour(setup.colour), m_type(setup.type),
          m_count(setup.count), m_base_colour(setup.colour)
    {
        s_cue = Cue_State{};

        if (!loader)
            loader = &Load_TGA_Texture;
        std::size_t frame = std::size_t(m_window->Get_Width()) * m_window->Get_Height();
        for (int i = 0; i < Image_Count; ++i)
        {
            char path[32];
            if (i < 8)
                std::snprintf(path, sizeof path, "tekstit/a%d.tga", i + 1);
            else if (i < 16)
                std::snprintf(path, sizeof path, "tekstit/b%d.tga", i - 7);
            else
                std::snprintf(path, sizeof path, "tekstit/c%d.tga", i - 15);
            m_images[i] = loader(path);
            // The overlay covers the whole frame: an image needs a byte per pixel.
            m_image_bytes[i] = Usable_Overlay_Bytes(m_images[i].Get(), path, frame, frame);
        }

        switch (m_type)
        {
        case 0: Make_Lissajous_Figure(m_base, m_count); break;
        case 1: Make_Wobble_Figure(m_base, m_count); break;
        default: RYX_ASSERT(!"invalid line part type"); break;
        }
    }

    void Line_Part::Update()
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

    void Line_Part::Apply_Overlay_Cue(std::int32_t order, std::int32_t row)
    {
        if (order < 4 || order > 7)
            return;
        for (int c = 0; c < 8; ++c)
            if (row == c_cue_rows[c])
            {
                int cue = c_cues[order - 4][c];
                if (cue == c_clear)
                {
                    m_overlay = nullptr;
                    m_overlay_bytes = 0;
                }
                else if (cue != c_keep)
                {
                    m_overlay = m_images[cue].Get();
                    m_overlay_bytes = m_image_bytes[cue];
                }
                return;
            }
    }

    void Line_Part::Render()
    {
        m_window->Clear();
        std::uint32_t colour = m_colour;  // a change below shows from the next frame

        Song_Pos pos = Get_Music()->Get_Pos();
        std::int32_t r = pos.row;
        std::int32_t o = pos.order;
        bool new_row = r != s_cue.previous_row;

        if ((o != 0 ? r % 2 : r % 4) == 0 && new_row)
            s_cue.flash = 1.2f;
        if (o == 2)
        {
            if (2 < r && r < 12)
            {
                s_cue.flash = 0.0f;
                m_colour = 0xFF122340u;
            }
        }
        else if (o >= 4)
        {
            if ((r % 16 == 0 || r % 16 == 10) && new_row)
                m_speed = 52.0f;
            Apply_Overlay_Cue(o, r);
        }

        Draw_Segments(Line_Colour(colour, s_cue.flash));
        if (m_overlay)
            Add_Greyscale(m_window->Get_Buffer(), static_cast<const std::uint8_t*>(m_overlay->Get_Pixels()),
                          m_overlay_bytes);

        s_cue.flash = To_Float(double(s_cue.flash) * 0.56f);

        // The current order, read once for the speed and the bars.
        std::uint32_t order = Get_Music()->Get_Order();
        if (order < 8)
            m_speed = To_Float(m_speed + (1.0 - m_speed) * 0.5);
        else
        {
            double now = Get_Timer()->Get_Time();
            if (!s_cue.ramp_started)
            {
                s_cue.ramp_start = To_Float(now);
                s_cue.ramp_started = true;
            }
            m_speed = To_Float((now - s_cue.ramp_start) * 5.0 + 1.0);
        }

        if (order >= 4 && order < 16 && r == 1 && s_cue.previous_row != 1)
        {
            s_cue.bar_position = 1.0f;
            s_cue.bar_level = 1.0f;
        }
        if (order >= 4 && order < 9)
            Draw_Bars();

        s_cue.bar_position = To_Float(double(s_cue.bar_position) * 0.95f);
        s_cue.previous_row = r;
    }

    void Line_Part::Draw_Segments(std::uint32_t line_colour)
    {
        if (m_type != 0 && m_type != 1)
            return;
        double p = m_phase;
        float cx = float(m_window->Get_Width() / 2);
        float cy = float(m_window->Get_Height() / 2);
        if (m_type == 0)
        {
            float f1 = To_Float(9.0 * std::sin(10.0 * p) + 5.0);
            float f2 = To_Float(9.0 * std::cos(9.5f * p) + f1);
            float f3 = To_Float(9.0 * std::sin(13.6f * p) + f2);
            float f4 = To_Float(f1 - 9.0 * std::cos(17.0 * p));
            double s = m_scale;
            for (std::uint32_t k = 0; k < m_count; ++k)
            {
                const Line_Point& P = m_turned[2 * std::size_t(k)];
                const Line_Point& Q = m_turned[2 * std::size_t(k) + 1];
                Draw_AA_Line(m_window, line_colour, To_Float(P.x * s * f1 * 1.6f + cx), To_Float(P.y * s * f2 + cy),
                             To_Float(Q.x * s * f3 * 1.6f + cx), To_Float(Q.y * s * f4 + cy));
            }
        }
        else
            Draw_Wobble_Segments(m_window, line_colour, m_turned, m_count, p);
    }

    // Eight copies of a 17-row band, each at its own random height near the
    // bar position, brightest in its middle row.
    void Line_Part::Draw_Bars()
    {
        std::uint32_t band[17];
        for (int j = 0; j <= 16; ++j)
        {
            double k = j - 8;
            double v = (1.0 - (k / 8.0) * (k / 8.0)) * s_cue.bar_level * 0.2f;
            band[j] =
                std::uint32_t(int(25.0 * v)) << 16 | std::uint32_t(int(28.0 * v)) << 8 | std::uint32_t(int(49.0 * v));
        }
        std::uint32_t width = m_window->Get_Width();
        std::uint32_t height = m_window->Get_Height();
        std::uint32_t* frame = m_window->Get_Buffer();
        for (int b = 0; b < 8; ++b)
        {
            int jitter = Rand() % 40;
            int top = 44 + jitter - int(360.0 * s_cue.bar_position - 360.0);
            for (int j = 0; j <= 16; ++j)
            {
                // Rows off a short screen are skipped; the show's 480 rows hold them all.
                std::int64_t row = std::int64_t(top) + j;
                if (row < 0 || row >= std::int64_t(height))
                    continue;
                std::uint32_t* line = frame + std::size_t(row) * width;
                for (std::uint32_t x = 0; x < width; ++x)
                    line[x] = Saturating_Add(line[x], band[j]);
            }
        }
    }

    Ryx_Lib::Single<Effect> Create_Line_Part(Window* window, const Line_Part_Setup& setup, Texture_Loader loader)
    {
        return Ryx_Lib::Single<Effect>(new Line_Part(window, setup, loader));
    }
}
