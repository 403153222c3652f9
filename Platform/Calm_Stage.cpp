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
        // Aimed inside the quiet range, for the rounding of the mixed pixels
        // back to 8 bits; the measure of the result has the last word.
        constexpr double Luminance_Margin = 0.004;
        constexpr double Red_Margin = 1.0;

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
                    double l = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
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

        // out = k_in x in + k_previous x previous in linear light, k_in by
        // cell, the weights in units of 2^-16 adding up to at most 1.
        void Mix(const std::uint32_t* in, const std::uint32_t* previous, std::uint32_t* out, int width, int height,
                 const std::uint32_t* k_in, std::uint32_t k_previous)
        {
            const Light_Tables& t = Light();
            for (int cy = 0; cy < Flash_Cells; ++cy)
                for (int y = Cell_Edge(cy, height); y < Cell_Edge(cy + 1, height); ++y)
                    for (int cx = 0; cx < Flash_Cells; ++cx)
                    {
                        const std::uint32_t k = k_in[cy * Flash_Cells + cx];
                        const std::size_t row = std::size_t(y) * std::size_t(width);
                        for (std::size_t i = row + Cell_Edge(cx, width); i < row + Cell_Edge(cx + 1, width); ++i)
                        {
                            std::uint32_t p = in[i], q = previous[i];
                            std::uint32_t result = p & 0xFF000000u;
                            for (int shift = 0; shift < 24; shift += 8)
                            {
                                std::uint32_t l =
                                    k * t.linear[(p >> shift) & 255] + k_previous * t.linear[(q >> shift) & 255];
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
            int wx = (view - 1) % Flash_Windows, wy = (view - 1) / Flash_Windows;
            int cx = cell % Flash_Cells, cy = cell / Flash_Cells;
            return cx >= wx && cx < wx + Flash_Window_Cells && cy >= wy && cy < wy + Flash_Window_Cells;
        }

        // Red follows a gain in linear light roughly as its 2.4th root.
        double Red_Gain(double gain) { return std::pow(gain, 1 / 2.4); }
    }

    Calm_Stage::Calm_Stage(Method method) : m_method(method) {}

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
        double margin = red ? Red_Margin : Luminance_Margin;
        low += margin;
        high -= margin;
    }

    // The levels of the frame with each cell scaled by its gain in linear light.
    void Calm_Stage::Predict(const Frame_Levels& in, const double* gain, Frame_Levels& out) const
    {
        out = in;
        double pixels[Flash_Cells * Flash_Cells];
        for (int c = 0; c < Flash_Cells * Flash_Cells; ++c)
        {
            int cx = c % Flash_Cells, cy = c / Flash_Cells;
            pixels[c] = double(Cell_Edge(cx + 1, m_width) - Cell_Edge(cx, m_width)) *
                double(Cell_Edge(cy + 1, m_height) - Cell_Edge(cy, m_height));
            out.cell_luminance[c] = in.cell_luminance[c] * gain[c];
            out.cell_red[c] = in.cell_red[c] * Red_Gain(gain[c]);
        }
        for (int v = 0; v < Flash_Views; ++v)
        {
            double l = 0, r = 0, n = 0;
            for (int c = 0; c < Flash_Cells * Flash_Cells; ++c)
                if (In_View(v, c))
                    l += out.cell_luminance[c] * pixels[c], r += out.cell_red[c] * pixels[c], n += pixels[c];
            out.luminance[v] = l / n;
            out.red[v] = r / n;
        }
    }

    // gain scales each cell (Dim: all alike), weight mixes the result with
    // the frame shown before (1: the frame alone), both as little as the
    // closed views need, assuming the levels follow in proportion.
    void Calm_Stage::Choose_Mix(const Frame_Levels& in, double* gain, double* top, double* red_top,
                                double& weight) const
    {
        std::fill(gain, gain + Cells, 1.0);
        std::fill(top, top + Cells, 1e9);
        std::fill(red_top, red_top + Cells, 1e9);
        weight = 1.0;
        if (m_method == Method::Dim)
        {
            double g = 1.0;
            for (int v = 0; v < Flash_Views; ++v)
                if (State(v, false).limit != Limit::Open)
                {
                    double low = 0, high = 0;
                    Quiet_Range(v, false, low, high);
                    if (in.luminance[v] > high && high > 0)
                        g = std::min(g, high / in.luminance[v]);
                }
            std::fill(gain, gain + Cells, g);
        }
        if (m_method == Method::Cells)
        {
            // Each cell may rise from the frame before by what every closed
            // view it belongs to has left below its ceiling: then no view rises more.
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
                    double room = std::max(0.0, high - (red ? m_shown.red[v] : m_shown.luminance[v]));
                    for (int c = 0; c < Cells; ++c)
                        if (In_View(v, c))
                            (red ? red_rise : rise)[c] = std::min((red ? red_rise : rise)[c], room);
                }
            for (int c = 0; c < Cells; ++c)
            {
                top[c] = m_shown.cell_luminance[c] + rise[c];
                if (in.cell_luminance[c] > top[c])
                    gain[c] = top[c] / in.cell_luminance[c];
                red_top[c] = m_shown.cell_red[c] + red_rise[c];
                if (in.cell_red[c] > red_top[c])
                    gain[c] = std::min(gain[c], std::pow(red_top[c] / in.cell_red[c], 2.4));
            }
        }
        Frame_Levels scaled;
        Predict(in, gain, scaled);
        for (int v = 0; v < Flash_Views; ++v)
            for (bool red : {false, true})
            {
                if (State(v, red).limit == Limit::Open)
                    continue;
                double low = 0, high = 0;
                Quiet_Range(v, red, low, high);
                double x = red ? scaled.red[v] : scaled.luminance[v];
                double p = red ? m_shown.red[v] : m_shown.luminance[v];
                // The frame before was quiet: no need to aim beyond it.
                low = std::min(low, p);
                high = std::max(high, p);
                if (x < low)
                    weight = std::min(weight, p > low ? (p - low) / (p - x) : 0.0);
                if (x > high)
                    weight = std::min(weight, p < high ? (high - p) / (x - p) : 0.0);
            }
        weight = std::max(0.0, weight);
    }

    // Mixes the frame (m_input) with the frame shown before, as Choose_Mix
    // proposes, until the measure of the result is quiet.
    void Calm_Stage::Soften(std::uint32_t* pixels, const Frame_Levels& in, Frame_Levels& out)
    {
        double gain[Cells], top[Cells], red_top[Cells];
        double weight = 1;
        Choose_Mix(in, gain, top, red_top, weight);
        for (int attempt = 0; attempt < 8 && weight >= 1.0 / 64; ++attempt)
        {
            std::uint32_t k_in[Cells];
            auto k_previous = std::uint32_t(std::lround((1.0 - weight) * 65536.0));
            for (int c = 0; c < Cells; ++c)
                k_in[c] = std::min(std::uint32_t(std::lround(weight * gain[c] * 65536.0)), 65536u - k_previous);
            Mix(m_input.data(), m_previous.data(), pixels, m_width, m_height, k_in, k_previous);
            Measure_Levels(pixels, m_width, m_height, out);
            if (Is_Quiet(out))
                return;
            // Cells above their tops come down by what they overshot (red
            // follows a gain roughly as its 2.4th root); else the mix leans
            // further on the frame before.
            bool adjusted = false;
            for (int c = 0; c < Cells && m_method == Method::Cells && attempt < 5; ++c)
            {
                if (out.cell_luminance[c] > top[c])
                    gain[c] *= 0.995 * top[c] / out.cell_luminance[c], adjusted = true;
                if (out.cell_red[c] > red_top[c])
                    gain[c] *= 0.97 * std::pow(red_top[c] / out.cell_red[c], 2.4), adjusted = true;
            }
            if (!adjusted)
                weight *= 0.5;
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

        Frame_Levels in;
        Measure_Levels(pixels, width, height, in);
        if (!any_closed || Is_Quiet(in))
        {
            Accept(in, milliseconds);
            std::memcpy(m_previous.data(), pixels, count * 4);
            return;
        }
        ++m_changed;
        m_last_change = milliseconds;
        std::memcpy(m_input.data(), pixels, count * 4);
        Frame_Levels out;
        Soften(pixels, in, out);
        Accept(out, milliseconds);
        std::memcpy(m_previous.data(), pixels, count * 4);
    }
}
