// The tunnel scene: one ray per grid vertex against a tube of radius 20 around
// the z axis, the hit written as (along, around, light) into the vertex.
#include "Code/Tunnel.h"

#include <bit>
#include <cmath>
#include "Code/Music.h"
#include "Code/Saturating_Add.h"
#include "Code/Timer.h"
#include "Code/To_Float.h"
#include "Code/Vertex_Value.h"
#include "Code/Window.h"

namespace Ryx_Vektu
{
    namespace
    {
        struct Track_Segment
        {
            std::int32_t start;  // -1 ends a table
            std::int32_t end;    // exclusive
            float from;
            float to;
        };

        const Track_Segment Default_Track[] = {{0, 1, 1.0f, 0.5f},   {1, 12, 0.5f, 0.5f},    {12, 18, 0.3f, 0.3f},
                                               {18, 29, 0.3f, 0.0f}, {44, 48, 0.86f, 0.86f}, {48, 63, 0.86f, 0.0f},
                                               {-1, 0, 0.0f, 0.0f}};
        const Track_Segment Track_15[] = {{0, 2, 1.5f, 1.5f},    {2, 3, 1.5f, 0.75f},   {3, 6, 0.75f, 0.75f},
                                          {6, 18, 0.34f, 0.24f}, {18, 29, 0.24f, 0.0f}, {44, 48, 0.22f, 0.22f},
                                          {48, 63, 0.22f, 1.4f}, {-1, 0, 0.0f, 0.0f}};
        const Track_Segment Track_16[] = {{0, 3, 2.0f, 1.0f},   {3, 6, 2.0f, 1.0f},     {6, 7, 0.6f, 0.3f},
                                          {18, 29, 0.3f, 0.0f}, {44, 48, 0.86f, 0.86f}, {48, 63, 0.86f, 0.0f},
                                          {-1, 0, 0.0f, 0.0f}};
        const Track_Segment Track_17[] = {{0, 1, 1.5f, 1.5f},    {1, 2, 1.5f, 1.5f},    {2, 3, 0.75f, 0.75f},
                                          {3, 4, 1.6f, 1.5f},    {4, 5, 1.6f, 1.5f},    {5, 6, 1.6f, 1.5f},
                                          {6, 18, 0.34f, 0.24f}, {18, 29, 0.24f, 0.0f}, {44, 48, 0.22f, 0.22f},
                                          {48, 63, 0.22f, 1.4f}, {-1, 0, 0.0f, 0.0f}};

        // Light is at most 2.0 (flash) x 1.0 (brightness) x 320 / fade, below
        // the floor of 4 from fade 160 on, and from fade about 21 every row of
        // the band is drawn on every frame. Past this the picture cannot
        // change any more, and fade x 1.01 would otherwise reach infinity.
        const float Fade_Limit = 1000.0f;

        const std::int32_t Band_Top = 56;

        // Cue state exists once for the scene's code; the constructor resets
        // it, so a second scene never sees the first one's texture pointer.
        struct Tunnel_Cues
        {
            bool started = false;
            float start_time = 0.0f;
            float flash = 1.0f;
            float forward_fade = 1.0f;
            float shake = 0.0f;
            float swing = 0.0f;
            std::int32_t previous_row = 0;
            Texture* grid_texture = nullptr;
            std::uint32_t band_seed = 0;
            std::int32_t last_track_row = -1;
            float segment_start = 0.0f;
            float segment_duration = 0.0f;
        };

        Tunnel_Cues s_cues;

        // Flash 2.0, shake 1.0 on every frame of a row = 3 (mod 8), unless the
        // previous frame's row was 0: the design's literal test.
        void Beat_Rule(std::int32_t r)
        {
            if (r % 8 == 3 && s_cues.previous_row != 0)
            {
                s_cues.flash = 2.0f;
                s_cues.shake = 1.0f;
            }
        }

        const Track_Segment* Track_For(std::int32_t order)
        {
            switch (order)
            {
            case 15: return Track_15;
            case 16: return Track_16;
            case 17: return Track_17;
            default: return Default_Track;
            }
        }
    }

    Tunnel::Tunnel(Window* window, Texture_Loader load_jpg) : m_window(window)
    {
        s_cues = Tunnel_Cues{};
        m_overlay = load_jpg("texture/mafia_368.jpg");
        m_position = {0.0f, 0.0f, 0.0f};
        m_direction = {0.0f, 0.0f, 1.0f};
        m_roll = 0.0f;
        m_radius = 20.0f;
        m_lens = 1.0f;
        m_time = 0.0f;
        m_brightness = 1.0f;
        m_steer = 0.0f;
        m_morph = 0.0f;
        m_fade = 1.0f;
        m_textures[0] = load_jpg("texture/teksture_krazy.jpg");
        m_textures[1] = load_jpg("texture/teksture.jpg");
        m_textures[2] = load_jpg("texture/trash_punanen.jpg");
        m_current_texture = m_textures[0].Get();
        m_grid = Create_Grid(window, m_textures[0].Get(), 41, 24);
    }

    void Tunnel::Update()
    {
        Update_Cues();
        Update_Camera();
        Update_Vertices();
        // Once a frame, grid or no grid.
        s_cues.flash = To_Float(s_cues.flash + (1.0 - s_cues.flash) * double(0.65f));
        s_cues.shake = To_Float(s_cues.shake * double(0.1f));
        s_cues.swing = To_Float(s_cues.swing * double(0.95f));
        m_morph = To_Float(m_morph * double(0.85f));
    }

    void Tunnel::Update_Cues()
    {
        double now = Get_Timer()->Get_Time();
        if (!s_cues.started)
        {
            s_cues.started = true;
            s_cues.start_time = To_Float(now);
        }
        m_time = To_Float(now - s_cues.start_time);

        std::int32_t r = static_cast<std::int32_t>(Get_Music()->Get_Row());
        std::int32_t o = static_cast<std::int32_t>(Get_Music()->Get_Order());
        m_row = r;
        m_order = o;
        std::int32_t previous = s_cues.previous_row;

        // Fires once in row 22, but on every frame of row 54: its previous
        // row is never 22.
        if (r % 32 == 22 && previous != 22)
        {
            s_cues.flash = 1.5f;
            s_cues.shake = 0.4f;
        }

        if (o == 10)
            Beat_Rule(r);
        else if (o == 12)
        {
            if (r < 27)
            {
                m_current_texture = m_textures[1].Get();
                m_brightness = 0.45f;
            }
            else
            {
                Beat_Rule(r);
                m_brightness = 1.0f;
            }
        }
        else if (o == 11 || o == 13)
        {
            if (r < 48)
                Beat_Rule(r);
            else if (r != previous)
            {
                if (r == 51 || r == 57)
                {
                    s_cues.flash = 2.0f;
                    s_cues.shake = 1.0f;
                    s_cues.swing = 1.0f;
                }
                else if (r == 53)
                {
                    s_cues.flash = 2.0f;
                    s_cues.shake = -3.6f;
                    s_cues.swing = 2.0f;
                }
                else if (r == 49 || r == 55)
                {
                    s_cues.flash = 1.2f;
                    s_cues.shake = 0.2f;
                    s_cues.swing = -2.0f;
                }
            }
        }
    }

    void Tunnel::Update_Camera()
    {
        double time = m_time;
        std::int32_t o = m_order;
        double shake = s_cues.shake;

        m_position = Make_Vector(0.0, 0.0, 80.0 * time);
        m_direction = Make_Vector(double(0.1f) * std::pow(std::sin(double(30.5f) * time), 2.0),
                                  double(0.1f) * std::pow(std::cos(40.0 * time), 2.0),
                                  std::cos(double(20.9f) * time) + double(1.2f));

        if (o < 12)
            m_direction = shake * m_direction;
        else
        {
            double swing = s_cues.swing;
            m_direction = shake * m_direction + Make_Vector(0.0, 0.0, (1.0 - shake) * (1.0 - s_cues.forward_fade));
            m_position.z = To_Float(m_position.z * double(1.6f));
            Vector sway = Make_Vector(std::sin(time), std::cos(time + double(2332.23f)), std::cos(time));
            m_direction = m_direction + swing * sway;
            m_roll = s_cues.swing;
            s_cues.forward_fade = To_Float(s_cues.forward_fade * double(0.92f));
        }

        if (o < 14)
            m_steer = 0.0f;
        else
        {
            Song_Pos p = Get_Music()->Get_Pos();
            m_current_texture = m_textures[2].Get();
            float v = Get_Track_Value().second;
            m_steer = To_Float((70.0 * v - m_steer) * 0.03);
            double steer = m_steer;
            if (p.order % 2 != 0)
            {
                m_direction = Make_Vector(0.0, -std::sin(steer), std::cos(steer));
                m_roll = -m_steer;
            }
            else
            {
                m_direction = Make_Vector(std::sin(steer), 0.0, std::cos(steer));
                m_roll = m_steer;
            }
            m_lens = To_Float(steer + 1.0);

            // Literal test against the previous frame's current row: fires on
            // every frame of such a row unless that row equals the remainder.
            std::int32_t q = p.row % 16;
            if ((q == 0 || q == 10) && q != s_cues.previous_row)
            {
                m_morph = 1.0f;
                s_cues.flash = 1.4f;
            }

            if (p.order >= 18)
            {
                float grown = To_Float(m_fade * double(1.01f));
                m_fade = grown < Fade_Limit ? grown : Fade_Limit;
            }
        }

        s_cues.previous_row = static_cast<std::int32_t>(Get_Music()->Get_Row());
    }

    void Tunnel::Update_Vertices()
    {
        // Neither is normalized: their lengths follow the look vector's.
        Vector right = Cross(m_direction, Make_Vector(std::sin(double(m_roll)), std::cos(double(m_roll)), 0.0));
        Vector up = Cross(m_direction, right);
        Vector a0 = m_direction / m_lens;
        Vector c0 = a0 + right + up, c1 = a0 - right + up, c2 = a0 + right - up, c3 = a0 - right - up;

        if (m_current_texture != s_cues.grid_texture)
        {
            if (m_current_texture && m_grid)
                m_grid->Set_Texture(m_current_texture);
            s_cues.grid_texture = m_current_texture;
        }

        Grid* grid = m_grid.Get();
        if (!grid)
            return;
        std::int32_t n = grid->Get_Rows();
        std::int32_t m = grid->Get_Columns();
        Grid_Vertex* vertex = grid->Get_Vertices();

        const double px = m_position.x, py = m_position.y;
        const double radius = m_radius;
        const double morph = m_morph;
        const double light_scale = double(s_cues.flash) * m_brightness;
        const double fade = m_fade;
        const std::int32_t no_hit_shade = Vertex_Value(4.0);
        const Vector left_span = c2 - c0, far_span = c3 - c1;

        for (std::int32_t j = 0; j < n; ++j)
        {
            // Divided by n and m, not n - 1 and m - 1: the last row and column
            // stop one step short of the far corners.
            Vector left = c0 + left_span * j / n;
            Vector far = c1 + far_span * j / n;
            Vector span = far - left;
            for (std::int32_t i = 0; i < m; ++i, ++vertex)
            {
                Vector d = left + span * i / m;

                double qa = double(d.x) * d.x + double(d.y) * d.y;
                double qb = 2.0 * (double(d.x) * px + double(d.y) * py);
                double qc = px * px + py * py - radius * radius;
                double s = std::sqrt(qb * qb - 4.0 * qa * qc);
                double t1 = (s - qb) / (2.0 * qa);
                double t2 = (-qb - s) / (2.0 * qa);
                double t = t1 < t2 ? t2 : t1;
                // A ray along the axis (the zero look vector gives 0/0 here)
                // never meets the tube: no hit.
                if (qa == 0.0 || !std::isfinite(t))
                {
                    *vertex = Grid_Vertex{0, 0, no_hit_shade};
                    continue;
                }

                double theta = std::atan2(double(d.y), double(d.x)) + 0.7853981625;
                double k4 = 2.0 - std::pow(std::fabs(std::sin(2.0 * theta)), 0.3);
                double k3 = 2.0 - std::pow(std::fabs(std::sin(double(1.5f) * theta)), 0.6);
                double g = k4 + (k3 - k4) * morph;
                Vector bent = g * d;

                Vector hit = m_position + t * bent;
                double along = hit.z;
                double around = std::atan2(double(hit.y), double(hit.x)) * double(81.16902f);
                double distance = Length(hit - m_position);
                double light = light_scale * (320.0 - double(2.4f) * distance) / fade;
                if (light < 4.0)
                    light = 4.0;
                else if (light > 511.0)
                    light = 511.0;
                if (!std::isfinite(along) || !std::isfinite(around) || !std::isfinite(light))
                {
                    *vertex = Grid_Vertex{0, 0, no_hit_shade};
                    continue;
                }
                *vertex = Grid_Vertex{Vertex_Value(along), Vertex_Value(around), Vertex_Value(light)};
            }
        }
    }

    Track_Value Tunnel::Get_Track_Value()
    {
        Song_Pos p = Get_Music()->Get_Pos();
        const Track_Segment* segment = Track_For(p.order);
        while (segment->start != -1 && !(segment->start <= p.row && p.row < segment->end))
            ++segment;
        if (segment->start == -1)
            return Track_Value{0.0f, 0.0f};

        if (p.row != s_cues.last_track_row && p.row == segment->start)
        {
            s_cues.segment_duration = To_Float((segment->end - segment->start) * double(87.609f) * double(0.001f));
            s_cues.segment_start = To_Float(Get_Timer()->Get_Time());
        }
        s_cues.last_track_row = p.row;

        // A segment entered late before any segment began has no length yet:
        // its start value, rather than x / 0 and a steer that stays NaN.
        if (s_cues.segment_duration == 0.0f)
            return Track_Value{segment->from, segment->from};
        double value = segment->from +
            (Get_Timer()->Get_Time() - s_cues.segment_start) / s_cues.segment_duration *
                (double(segment->to) - segment->from);
        float v = To_Float(value);
        return Track_Value{v, v};
    }

    void Tunnel::Render()
    {
        if (m_grid)
            m_grid->Render();
        if (m_fade <= 1.0f)
            return;

        double b = (double(m_fade) - 1.0) * double(0.06f);
        double phase = std::fmod(Get_Timer()->Get_Time() / (b + 1.0) * double(413.74234f), 368.0);
        if (phase < 0.0)
            phase = phase + 368.0;

        Texture* overlay = m_overlay.Get();
        if (!overlay || !overlay->Get_Pixels() || overlay->Get_Bytes_Per_Pixel() != 4)
            return;
        std::uint32_t* fb = m_window->Get_Buffer();
        std::int64_t frame_w = m_window->Get_Width();
        std::int64_t frame_h = m_window->Get_Height();
        const std::uint32_t* src = static_cast<const std::uint32_t*>(overlay->Get_Pixels());
        std::int32_t w = overlay->Get_Width();
        std::int32_t h = overlay->Get_Height();
        // Only what lies inside the frame is written.
        std::int64_t columns = w < frame_w ? w : frame_w;
        std::int64_t threshold = static_cast<std::int64_t>(b * 368.0);

        for (std::int32_t y = 0; y < h; ++y)
        {
            // Stepped for every row, drawn or not.
            s_cues.band_seed = std::rotr(s_cues.band_seed + 157u, 13) ^ 157u;
            double dist = std::fabs(phase - y);
            if (double(h / 2) <= dist)
                dist = h - dist;
            if (std::int64_t(s_cues.band_seed & 255u) + static_cast<std::int64_t>(dist) >= threshold)
                continue;
            std::int64_t frame_y = std::int64_t(y) + Band_Top;
            if (frame_y >= frame_h)
                continue;
            std::uint32_t* out = fb + frame_y * frame_w;
            const std::uint32_t* in = src + std::int64_t(y) * w;
            for (std::int64_t x = 0; x < columns; ++x)
                out[x] = Saturating_Add(out[x], in[x]);
        }
    }

    Ryx_Lib::Single<Effect> Create_Tunnel(Window* window) { return Ryx_Lib::Single<Effect>(new Tunnel(window)); }
}
