// The attractor scene: five swirl points make a vector field over the grid's
// vertices, which the grid uses as texture coordinates; then the glitch layer,
// the inversion and the melt work on the frame.
#include "Code/Attractor_1.h"

#include <bit>
#include <cmath>
#include "Code/Music.h"
#include "Code/Random.h"
#include "Code/Saturating_Add.h"
#include "Code/Timer.h"
#include "Code/To_Float.h"
#include "Code/Vertex_Value.h"
#include "Code/Window.h"

namespace Ryx_Vektu
{
    namespace
    {
        const int Swirl_Count = 5;
        const std::int64_t Band_Top = 56;
        const std::int64_t Band_Rows = 368;
        const std::int64_t Glitch_Top = 70;

        // Cue state exists once for the scene's code; the constructor resets
        // it, so a second scene starts as the first one did.
        struct Attractor_Cues
        {
            bool points_made = false;
            Swirl_Point points[Swirl_Count] = {};
            std::int32_t previous_row = -1;
            std::int32_t texture_counter = 0;
            std::uint32_t glitch_seed = 0;
            std::int32_t glitch_shift = 0;
            float glitch_jitter = 0.0f;
            bool melting = false;
            float melt_start = 0.0f;
        };

        Attractor_Cues s_cues;

        std::uint32_t Glitch_Step()
        {
            s_cues.glitch_seed = std::rotr(s_cues.glitch_seed + 157u, 11) ^ 157u;
            return s_cues.glitch_seed;
        }

        std::int64_t Max(std::int64_t a, std::int64_t b) { return a > b ? a : b; }
        std::int64_t Min(std::int64_t a, std::int64_t b) { return a < b ? a : b; }
    }

    Swirl_Sum Sum_Swirl(const Swirl_Point* points, int count, int i, int j, float cs, float sn)
    {
        float sum_x = 0.0f, sum_y = 0.0f, sum_angle = 0.0f;
        for (int k = 0; k < count; ++k)
        {
            float dx = To_Float(double(i) - points[k].x + double(0.01f));
            float dy = To_Float(double(j) - points[k].y + double(0.01f));
            float rx = To_Float(double(cs) * dx - double(sn) * dy);
            float ry = To_Float(double(sn) * dx + double(cs) * dy);
            double f = std::pow(double(rx) * rx + double(ry) * ry, 0.75);
            // A point exactly on the vertex adds nothing (f stays 0).
            if (f != 0.0)
                f = 10.0 / f;
            sum_x = To_Float(sum_x + f * rx);
            sum_y = To_Float(sum_y + f * ry);
            sum_angle = To_Float(sum_angle + std::atan2(double(dx), double(dy)));
        }
        return Swirl_Sum{sum_x, sum_y, sum_angle};
    }

    Attractor_1::Attractor_1(Window* window, Texture_Loader load_jpg, Texture_Loader load_tga) : m_window(window)
    {
        s_cues = Attractor_Cues{};
        m_draw_grid = true;
        m_textures[0] = load_jpg("texture/joomu.jpg");
        m_textures[1] = load_jpg("texture/trash_sininen_1.jpg");
        m_textures[2] = load_jpg("texture/trash_total_vihree.jpg");
        m_pictures[0] = load_tga("texture/MO_1.tga");
        m_pictures[1] = load_tga("texture/MO_2.tga");
        m_pictures[2] = load_tga("texture/MO_3.tga");
        m_pictures[3] = load_tga("texture/MO_4.tga");
        m_grid = Create_Grid(window, m_textures[0].Get(), 41, 24);
    }

    void Attractor_1::Update()
    {
        Update_Cues();
        Update_Vertices();
    }

    void Attractor_1::Update_Cues()
    {
        double now = Get_Timer()->Get_Time();
        m_theta = To_Float(10.0 * now);

        if (!s_cues.points_made)
        {
            s_cues.points_made = true;
            // One rand() a statement: the order of the calls is the design's.
            for (Swirl_Point& point : s_cues.points)
            {
                point.centre_x = 20.0f;
                point.centre_y = 15.0f;
                point.reach_x = 20.0f;
                point.reach_y = 15.0f;
                point.x = To_Float(Rand() % 40);
                point.y = To_Float(Rand() % 30);
                point.rate_x = To_Float(Rand() * double(0.000030518509f));
                point.rate_y = To_Float(Rand() * double(0.000030518509f));
            }
        }

        double tau = 10.0 * now;  // not rounded to float
        for (Swirl_Point& point : s_cues.points)
        {
            point.x = To_Float(point.reach_x * std::sin(tau * point.rate_x) + point.centre_x);
            point.y = To_Float(point.reach_y * std::sin(tau * point.rate_y) + point.centre_y);
        }

        Song_Pos p = Get_Music()->Get_Pos();
        bool new_row = p.row != s_cues.previous_row;

        if (p.row % 8 == 3 && new_row)
            m_pulse = 3.0f;
        if (p.order == 23 && p.row >= 60 && new_row)
            m_pulse = 3.0f;
        if (p.order >= 26 && p.row % 8 == 3 && new_row)
        {
            if (m_grid)
                m_grid->Set_Texture(m_textures[1 + s_cues.texture_counter % 2].Get());
            s_cues.texture_counter = s_cues.texture_counter + 1;
        }
        if ((p.order == 24 || p.order == 25) && new_row)
            m_overlay = m_pictures[Rand() % 4].Get();
        if (p.order == 30)
            m_draw_grid = false;
        if (new_row &&
            ((p.order == 22 && (p.row == 36 || p.row == 45 || p.row == 54)) ||
             (p.order == 23 && (p.row == 36 || p.row == 44))))
            m_spread = 0.001f;
        s_cues.previous_row = p.row;
    }

    void Attractor_1::Update_Vertices()
    {
        Grid* grid = m_grid.Get();
        if (grid)
        {
            int n = grid->Get_Rows();
            int m = grid->Get_Columns();
            Grid_Vertex* vertex = grid->Get_Vertices();
            float cs = To_Float(std::cos(double(m_theta)));
            float sn = To_Float(std::sin(double(m_theta)));
            // Not clamped: the grid keeps the shade modulo 512.
            float light = To_Float(m_pulse * 255.0);
            std::int32_t shade = Vertex_Value(light);
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < m; ++i, ++vertex)
                {
                    Swirl_Sum sum = Sum_Swirl(s_cues.points, Swirl_Count, i, j, cs, sn);
                    float scale = To_Float((std::sin(4.0 * sum.angle) * double(0.15f) + 1.0) * m_spread * 16.0);
                    *vertex =
                        Grid_Vertex{Vertex_Value(double(scale) * sum.x), Vertex_Value(double(scale) * sum.y), shade};
                }
        }
        m_pulse = To_Float(m_pulse + (1.0 - m_pulse) * double(0.4f));
        m_spread = To_Float(m_spread + (1.0 - m_spread) * double(0.06f));
    }

    void Attractor_1::Render()
    {
        if (m_draw_grid)
        {
            if (m_grid)
                m_grid->Render();
        }
        else
            m_window->Clear();
        Draw_Glitch();
        Invert();
        Melt();
    }

    void Attractor_1::Draw_Glitch()
    {
        if (!m_overlay || !m_overlay->Get_Pixels())
            return;
        std::uint32_t* fb = m_window->Get_Buffer();
        std::int64_t frame_w = m_window->Get_Width();
        std::int64_t frame_size = frame_w * m_window->Get_Height();
        const std::uint8_t* src = static_cast<const std::uint8_t*>(m_overlay->Get_Pixels());
        std::int64_t w = m_overlay->Get_Width();
        std::int64_t h = m_overlay->Get_Height();
        std::int64_t src_size = w * h;

        std::int64_t out = Glitch_Top * frame_w;
        double strength = (Glitch_Step() & 1023u) * double(0.007874016f);
        if (strength < 3.0)
            strength = strength * double(0.125f);
        if ((Glitch_Step() & 1023u) * double(0.0009775171f) < 0.12409872)
            s_cues.glitch_shift = static_cast<std::int32_t>(Glitch_Step() & 255u) * 2 - 254;

        if (!(h - 10 > 10))
            return;
        for (std::int64_t y = 10; y < h - 10; ++y)
        {
            // Signed: the offset swings from -255 to 256 times the strength.
            std::int32_t offset = static_cast<std::int32_t>(Glitch_Step() & 511u) - 255;
            s_cues.glitch_jitter = To_Float(s_cues.glitch_jitter + (offset * strength - s_cues.glitch_jitter) * 0.02);
            std::int64_t start =
                static_cast<std::int64_t>(double(w) * double(y) + s_cues.glitch_shift + s_cues.glitch_jitter);
            // Only pixels read inside the picture and written inside the frame.
            std::int64_t lo = Max(0, Max(-start, -out));
            std::int64_t hi = Min(w, Min(src_size - start, frame_size - out));
            for (std::int64_t x = lo; x < hi; ++x)
                fb[out + x] = Saturating_Add(fb[out + x], std::uint32_t(src[start + x]) * 0x010101u);
            out += w;
        }
    }

    void Attractor_1::Invert()
    {
        Song_Pos p = Get_Music()->Get_Pos();
        if (p.order < 26 || Rand() % 10 != 0)
            return;
        std::uint32_t* fb = m_window->Get_Buffer();
        std::int64_t frame_w = m_window->Get_Width();
        std::int64_t frame_size = frame_w * m_window->Get_Height();
        std::int64_t end = Min(Band_Top * frame_w + Band_Rows * frame_w, frame_size);
        for (std::int64_t k = Band_Top * frame_w; k < end; ++k)
            fb[k] = 0u - fb[k];
    }

    void Attractor_1::Melt()
    {
        Song_Pos p = Get_Music()->Get_Pos();
        if (p.order < 28)
            return;
        double now = Get_Timer()->Get_Time();
        if (!s_cues.melting)
        {
            s_cues.melting = true;
            s_cues.melt_start = To_Float(now);
        }
        std::int64_t n = static_cast<std::int64_t>((now - s_cues.melt_start) * 3.0);
        if (n < 0)
            return;
        std::int64_t count = n + 1;

        std::uint32_t* fb = m_window->Get_Buffer();
        std::int64_t frame_w = m_window->Get_Width();
        std::int64_t frame_size = frame_w * m_window->Get_Height();
        if (frame_w == 0)
            return;
        // Halves red, green and blue; the top byte keeps 0xFF or 0x00.
        auto darken = [&](std::int64_t at) {
            std::int64_t lo = Max(at, 0), hi = Min(at + count, frame_size);
            for (std::int64_t k = lo; k < hi; ++k)
                fb[k] = static_cast<std::uint32_t>(static_cast<std::int32_t>(fb[k]) >> 1) & 0xFF7F7F7Fu;
        };
        for (std::int64_t streak = 0; streak < count; ++streak)
        {
            std::int64_t drift = Rand() % 5 - 2;
            std::int64_t l = Rand() % Band_Rows;
            std::int64_t col = Rand() % frame_w;
            for (std::int64_t r = 0; r < l; ++r)
                darken((Band_Top + r) * frame_w + col);
            std::int64_t s = (Band_Top + l) * frame_w + col;
            for (std::int64_t r = l; r < Band_Rows; ++r)
            {
                darken(s);
                s = s + frame_w + drift;
            }
        }
    }

    Ryx_Lib::Single<Effect> Create_Attractor_1(Window* window)
    {
        return Ryx_Lib::Single<Effect>(new Attractor_1(window));
    }
}
