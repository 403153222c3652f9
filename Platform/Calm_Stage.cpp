#include "Platform/Calm_Stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Ryx_Platform
{
    namespace
    {
        // Six transitions a second at most: three flashes.
        constexpr std::size_t Most_Transitions = 6;
        constexpr std::uint32_t Second = 1000;
        // Aimed inside the quiet range, for the rounding of the softened
        // pixels back to 8 bits; the measure of the result has the last word.
        constexpr double Luminance_Margin = 0.004;
        constexpr double Red_Margin = 1.0;
        constexpr std::uint32_t One = 65536;  // weights in units of 2^-16

        // sRGB to linear light in 16 bits, and back from any 16-bit value.
        struct Light_Tables
        {
            std::uint16_t linear[256];
            std::uint8_t encoded[65536];

            Light_Tables()
            {
                for (int v = 0; v < 256; ++v)
                {
                    double c = v / 255.0;
                    double l = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
                    linear[v] = std::uint16_t(std::lround(l * 65535.0));
                }
                // Each 16-bit value to the nearest code in linear light.
                int code = 0;
                for (int i = 0; i < 65536; ++i)
                {
                    while (code < 255 && std::abs(linear[code + 1] - i) <= std::abs(linear[code] - i))
                        ++code;
                    encoded[i] = std::uint8_t(code);
                }
            }
        };

        const Light_Tables& Light()
        {
            static const Light_Tables tables;
            return tables;
        }

        struct Cell_Box
        {
            int x0, x1, y0, y1;
        };

        Cell_Box Box(int cell, int width, int height)
        {
            const int cx = cell % Flash_Cells, cy = cell / Flash_Cells;
            return {Cell_Edge(cx, width), Cell_Edge(cx + 1, width), Cell_Edge(cy, height), Cell_Edge(cy + 1, height)};
        }

        // One cell of out: k_in x in + k_previous x previous in linear light.
        void Mix_Cell(const std::uint32_t* in, const std::uint32_t* previous, std::uint32_t* out, int width,
                      const Cell_Box& box, std::uint32_t k_in, std::uint32_t k_previous)
        {
            const Light_Tables& t = Light();
            // Without the frame before, a cell is one curve per channel value.
            std::uint8_t curve[256];
            for (int v = 0; v < 256 && k_previous == 0; ++v)
                curve[v] = t.encoded[(k_in * t.linear[v]) >> 16];
            for (int y = box.y0; y < box.y1; ++y)
            {
                const std::size_t row = std::size_t(y) * std::size_t(width);
                for (std::size_t i = row + std::size_t(box.x0); i < row + std::size_t(box.x1); ++i)
                {
                    const std::uint32_t p = in[i];
                    std::uint32_t result = p & 0xFF000000u;
                    if (k_previous == 0)
                        result |= std::uint32_t(curve[(p >> 16) & 255]) << 16 |
                            std::uint32_t(curve[(p >> 8) & 255]) << 8 | curve[p & 255];
                    else
                        for (int shift = 0; shift < 24; shift += 8)
                        {
                            const std::uint32_t l = k_in * t.linear[(p >> shift) & 255] +
                                k_previous * t.linear[(previous[i] >> shift) & 255];
                            result |= std::uint32_t(t.encoded[l >> 16]) << shift;
                        }
                    out[i] = result;
                }
            }
        }

        bool In_View(int view, int cell)
        {
            if (view == 0)
                return true;
            const int wx = (view - 1) % Flash_Windows, wy = (view - 1) / Flash_Windows;
            const int cx = cell % Flash_Cells, cy = cell / Flash_Cells;
            return cx >= wx && cx < wx + Flash_Window_Cells && cy >= wy && cy < wy + Flash_Window_Cells;
        }
    }

    void Calm_Stage::Reset(int width, int height)
    {
        m_width = width;
        m_height = height;
        m_views.clear();
        for (int v = 0; v < Flash_Views; ++v)
        {
            m_views.emplace_back(Luminance_Swing);
            m_views.emplace_back(Red_Swing);
        }
        m_previous.assign(std::size_t(width) * std::size_t(height), 0);
        m_input.assign(m_previous.size(), 0);
    }

    // No view makes a transition its last second has no room for.
    bool Calm_Stage::Is_Quiet(const Frame_Levels& levels) const
    {
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                const View_State& s = State(v, red);
                if (s.limit == Limit::Open)
                    continue;
                Swing_Tracker next = s.tracker;
                if (next.Feed(red ? levels.red[v] : levels.luminance[v]) &&
                    (s.limit == Limit::Shut || next.Is_Rising()))
                    return false;
            }
        return true;
    }

    void Calm_Stage::Accept(const Frame_Levels& levels, std::uint32_t milliseconds)
    {
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                View_State& s = State(v, red);
                if (s.tracker.Feed(red ? levels.red[v] : levels.luminance[v]))
                    s.times.push_back(milliseconds);
            }
        m_shown = levels;
        m_last_time = milliseconds;
    }

    void Calm_Stage::Quiet_Range(int view, bool red, double& low, double& high) const
    {
        const View_State& s = State(view, red);
        s.tracker.Quiet_Range(low, high);
        if (s.limit == Limit::Falling_Only)
            low = -1e9;
        const double margin = red ? Red_Margin : Luminance_Margin;
        low += margin;
        high -= margin;
    }

    // Each cell may rise from the frame before by what every closed view it
    // belongs to has left below its ceiling: then no view rises more, as a
    // view's level is its cells' mean. A cell that would rise more is scaled
    // down to its top in linear light (red follows a gain roughly as its
    // 2.4th root). Should a closed view need to stay up instead (only the
    // first swing of a view has a floor), weight mixes the frame with the
    // frame shown before.
    void Calm_Stage::Choose(const Frame_Levels& in, Softening& s) const
    {
        double rise[Cells], red_rise[Cells];
        std::fill(rise, rise + Cells, 1e9);
        std::fill(red_rise, red_rise + Cells, 1e9);
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                if (State(v, red).limit == Limit::Open)
                    continue;
                double low = 0, high = 0;
                Quiet_Range(v, red, low, high);
                const double room = std::max(0.0, high - (red ? m_shown.red[v] : m_shown.luminance[v]));
                for (int c = 0; c < Cells; ++c)
                    if (In_View(v, c))
                        (red ? red_rise : rise)[c] = std::min((red ? red_rise : rise)[c], room);
            }
        double pixels[Cells], luminance[Flash_Views] = {}, count[Flash_Views] = {};
        for (int c = 0; c < Cells; ++c)
        {
            const Cell_Box b = Box(c, m_width, m_height);
            pixels[c] = double(b.x1 - b.x0) * double(b.y1 - b.y0);
            s.gain[c] = 1.0;
            s.top[c] = m_shown.cell_luminance[c] + rise[c];
            if (in.cell_luminance[c] > s.top[c])
                s.gain[c] = s.top[c] / in.cell_luminance[c];
            s.red_top[c] = m_shown.cell_red[c] + red_rise[c];
            if (in.cell_red[c] > s.red_top[c])
                s.gain[c] = std::min(s.gain[c], std::pow(s.red_top[c] / in.cell_red[c], 2.4));
            for (int v = 0; v < Flash_Views; ++v)
                if (In_View(v, c))
                    luminance[v] += in.cell_luminance[c] * s.gain[c] * pixels[c], count[v] += pixels[c];
        }
        s.weight = 1.0;
        for (int v = 0; v < Flash_Views; ++v)
        {
            if (State(v, false).limit == Limit::Open)
                continue;
            double low = 0, high = 0;
            Quiet_Range(v, false, low, high);
            const double x = luminance[v] / count[v], p = m_shown.luminance[v];
            if (x < low && p > x)
                s.weight = std::min(s.weight, std::max(0.0, p - low) / (p - x));
        }
    }

    // Softens the frame (m_input) cell by cell as Choose proposes until the
    // measure of the result is quiet, rewriting and measuring again only the
    // cells that change.
    void Calm_Stage::Soften(std::uint32_t* pixels, const Cell_Sums& in_sums, const Frame_Levels& in, Frame_Levels& out)
    {
        Softening s;
        Choose(in, s);
        Cell_Sums sums = in_sums;
        std::uint32_t applied[Cells];  // k_in of each cell's pixels now; the frame's own at first
        std::fill(applied, applied + Cells, One);
        std::uint32_t applied_previous = 0;
        for (int attempt = 0; attempt < 8 && s.weight >= 1.0 / 64; ++attempt)
        {
            const auto k_previous = std::uint32_t(std::lround((1.0 - s.weight) * One));
            for (int c = 0; c < Cells; ++c)
            {
                const auto k_in = std::min(std::uint32_t(std::lround(s.weight * s.gain[c] * One)), One - k_previous);
                if (k_in == applied[c] && k_previous == applied_previous)
                    continue;
                if (k_in == One)
                {
                    const Cell_Box b = Box(c, m_width, m_height);
                    for (int y = b.y0; y < b.y1; ++y)
                    {
                        const std::size_t row = std::size_t(y) * std::size_t(m_width);
                        std::memcpy(pixels + row + b.x0, m_input.data() + row + b.x0, std::size_t(b.x1 - b.x0) * 4);
                    }
                    sums.luminance[c] = in_sums.luminance[c], sums.red[c] = in_sums.red[c];
                }
                else
                {
                    Mix_Cell(m_input.data(), m_previous.data(), pixels, m_width, Box(c, m_width, m_height), k_in,
                             k_previous);
                    Sum_Cell(pixels, m_width, m_height, c, sums);
                }
                applied[c] = k_in;
            }
            applied_previous = k_previous;
            Levels_Of(sums, m_width, m_height, out);
            if (Is_Quiet(out))
                return;
            // Cells above their tops come down by what they overshot; else
            // the mix leans further on the frame before.
            bool adjusted = false;
            for (int c = 0; c < Cells && attempt < 5; ++c)
            {
                if (out.cell_luminance[c] > s.top[c])
                    s.gain[c] *= 0.995 * s.top[c] / out.cell_luminance[c], adjusted = true;
                if (out.cell_red[c] > s.red_top[c])
                    s.gain[c] *= 0.97 * std::pow(s.red_top[c] / out.cell_red[c], 2.4), adjusted = true;
            }
            if (!adjusted)
                s.weight *= 0.5;
        }
        // The frame shown before, once more, is always quiet.
        std::memcpy(pixels, m_previous.data(), m_previous.size() * 4);
        out = m_shown;
    }

    void Calm_Stage::Apply(std::uint32_t* pixels, int width, int height, std::uint32_t milliseconds)
    {
        if (width < Flash_Cells || height < Flash_Cells)
            return;
        if (width != m_width || height != m_height || (m_frames > 0 && std::int32_t(milliseconds - m_last_time) < 0))
            Reset(width, height);
        ++m_frames;
        const std::size_t count = std::size_t(width) * std::size_t(height);

        // While it softens, the stage keeps the last transition of a second
        // for the way down; a second after its last change it leaves alone
        // all that passes the check.
        const bool engaged = m_changed > 0 && milliseconds - m_last_change < Second;
        bool any_closed = false;
        for (View_State& s : m_views)
        {
            s.times.erase(std::remove_if(s.times.begin(), s.times.end(),
                                         [&](std::uint32_t t) { return milliseconds - t >= Second; }),
                          s.times.end());
            s.limit = s.times.size() >= Most_Transitions            ? Limit::Shut
                : s.times.size() + 1 == Most_Transitions && engaged ? Limit::Falling_Only
                                                                    : Limit::Open;
            any_closed = any_closed || s.limit != Limit::Open;
        }

        Cell_Sums sums;
        Sum_Cells(pixels, width, height, sums);
        Frame_Levels levels;
        Levels_Of(sums, width, height, levels);
        if (any_closed && !Is_Quiet(levels))
        {
            ++m_changed;
            m_last_change = milliseconds;
            std::memcpy(m_input.data(), pixels, count * 4);
            Frame_Levels in = levels;
            Soften(pixels, sums, in, levels);
        }
        Accept(levels, milliseconds);

        // The next frame can only be softened when some view has five
        // transitions in its last second (and the stage is engaged) or six:
        // only then does it need this one.
        std::size_t most = 0;
        for (const View_State& s : m_views)
            most = std::max(most, s.times.size());
        if (most >= Most_Transitions ||
            (most + 1 == Most_Transitions && m_changed > 0 && milliseconds - m_last_change < Second))
            std::memcpy(m_previous.data(), pixels, count * 4);
    }

    std::unique_ptr<Frame_Stage> Create_Calm_Stage() { return std::make_unique<Calm_Stage>(); }
}
