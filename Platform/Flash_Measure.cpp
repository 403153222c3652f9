#include "Platform/Flash_Measure.h"

#include <cmath>

namespace Ryx_Platform
{
    namespace
    {
        // Relative luminance in units of 2^-24.
        constexpr double Luminance_Unit = 16777216.0;

        struct Luminance_Tables
        {
            std::uint32_t red[256], green[256], blue[256];

            Luminance_Tables()
            {
                for (int v = 0; v < 256; ++v)
                {
                    double c = v / 255.0;
                    double linear = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
                    red[v] = std::uint32_t(std::lround(0.2126 * linear * Luminance_Unit));
                    green[v] = std::uint32_t(std::lround(0.7152 * linear * Luminance_Unit));
                    blue[v] = std::uint32_t(std::lround(0.0722 * linear * Luminance_Unit));
                }
            }
        };

        const Luminance_Tables& Tables()
        {
            static const Luminance_Tables tables;
            return tables;
        }

        // One cell row: the sums of luminance and of R - G - B over the
        // saturated reds, whole numbers. In blocks of 16 pixels, so that the
        // compiler does the red sums in vector registers.
        void Sum_Row(const std::uint32_t* row, int from, int to, const Luminance_Tables& t, std::uint64_t& luminance,
                     std::uint64_t& red)
        {
            std::uint64_t l = 0, r = 0;
            int x = from;
            for (; x + 16 <= to; x += 16)
            {
                std::uint32_t block = 0;  // 16 pixels of at most 2^24
                for (int i = 0; i < 16; ++i)
                {
                    const std::uint32_t p = row[x + i];
                    block += t.red[(p >> 16) & 255] + t.green[(p >> 8) & 255] + t.blue[p & 255];
                }
                l += block;
                std::int32_t reds = 0;
                for (int i = 0; i < 16; ++i)
                {
                    const auto p = std::int32_t(row[x + i] & 0xFFFFFFu);
                    const std::int32_t pr = p >> 16, pg = (p >> 8) & 255, pb = p & 255;
                    // R / (R + G + B) >= 0.8 is R >= 4 (G + B); black adds 0 either way.
                    reds += pr >= 4 * (pg + pb) ? pr - pg - pb : 0;
                }
                r += std::uint32_t(reds);
            }
            for (; x < to; ++x)
            {
                const std::uint32_t p = row[x];
                const std::uint32_t pr = (p >> 16) & 255, pg = (p >> 8) & 255, pb = p & 255;
                l += t.red[pr] + t.green[pg] + t.blue[pb];
                if (pr >= 4 * (pg + pb))
                    r += pr - pg - pb;
            }
            luminance += l;
            red += r;
        }
    }

    void Sum_Cell(const std::uint32_t* pixels, int width, int height, int cell, Cell_Sums& sums)
    {
        const Luminance_Tables& t = Tables();
        const int cx = cell % Flash_Cells, cy = cell / Flash_Cells;
        const int from = Cell_Edge(cx, width), to = Cell_Edge(cx + 1, width);
        sums.luminance[cell] = sums.red[cell] = 0;
        for (int y = Cell_Edge(cy, height); y < Cell_Edge(cy + 1, height); ++y)
            Sum_Row(pixels + std::size_t(y) * std::size_t(width), from, to, t, sums.luminance[cell], sums.red[cell]);
    }

    void Sum_Cells(const std::uint32_t* pixels, int width, int height, Cell_Sums& sums)
    {
        // Row by row, each row's six cells in turn: the frame is read in order.
        const Luminance_Tables& t = Tables();
        sums = Cell_Sums{};
        for (int cy = 0; cy < Flash_Cells; ++cy)
            for (int y = Cell_Edge(cy, height); y < Cell_Edge(cy + 1, height); ++y)
            {
                const std::uint32_t* line = pixels + std::size_t(y) * std::size_t(width);
                for (int cx = 0; cx < Flash_Cells; ++cx)
                {
                    const int c = cy * Flash_Cells + cx;
                    Sum_Row(line, Cell_Edge(cx, width), Cell_Edge(cx + 1, width), t, sums.luminance[c], sums.red[c]);
                }
            }
    }

    void Levels_Of(const Cell_Sums& sums, int width, int height, Frame_Levels& levels)
    {
        auto cell_pixels = [&](int cx, int cy) {
            return double(Cell_Edge(cx + 1, width) - Cell_Edge(cx, width)) *
                double(Cell_Edge(cy + 1, height) - Cell_Edge(cy, height));
        };
        const double red_scale = 320.0 / 255.0;
        std::uint64_t all_luminance = 0, all_red = 0;
        for (int c = 0; c < Flash_Cells * Flash_Cells; ++c)
        {
            const double n = cell_pixels(c % Flash_Cells, c / Flash_Cells);
            all_luminance += sums.luminance[c], all_red += sums.red[c];
            levels.cell_luminance[c] = double(sums.luminance[c]) / Luminance_Unit / n;
            levels.cell_red[c] = double(sums.red[c]) * red_scale / n;
        }
        const double count = double(width) * double(height);
        levels.luminance[0] = double(all_luminance) / Luminance_Unit / count;
        levels.red[0] = double(all_red) * red_scale / count;
        for (int wy = 0; wy < Flash_Windows; ++wy)
            for (int wx = 0; wx < Flash_Windows; ++wx)
            {
                std::uint64_t l = 0, r = 0;
                double n = 0;
                for (int cy = wy; cy < wy + Flash_Window_Cells; ++cy)
                    for (int cx = wx; cx < wx + Flash_Window_Cells; ++cx)
                    {
                        const int c = cy * Flash_Cells + cx;
                        l += sums.luminance[c], r += sums.red[c], n += cell_pixels(cx, cy);
                    }
                const int v = 1 + wy * Flash_Windows + wx;
                levels.luminance[v] = double(l) / Luminance_Unit / n;
                levels.red[v] = double(r) * red_scale / n;
            }
    }

    void Measure_Levels(const std::uint32_t* pixels, int width, int height, Frame_Levels& levels)
    {
        Cell_Sums sums;
        Sum_Cells(pixels, width, height, sums);
        Levels_Of(sums, width, height, levels);
    }

    bool Swing_Tracker::Swings(double from, double to) const
    {
        double swing = to > from ? to - from : from - to;
        return m_rule.strict ? swing > m_rule.threshold : swing >= m_rule.threshold;
    }

    bool Swing_Tracker::Would_Count(double level) const
    {
        Swing_Tracker copy = *this;
        return copy.Feed(level);
    }

    bool Swing_Tracker::Feed(double level)
    {
        const double dark = m_rule.darker_below;
        switch (m_phase)
        {
        case Phase::Empty:
            m_phase = Phase::Start;
            m_low = m_high = level;
            return false;
        case Phase::Start:
            if (level > m_high && Swings(m_low, level))
            {
                m_phase = Phase::Rising;
                m_extreme = level;
                m_counts = m_low < dark;
                return m_counts;
            }
            if (level < m_low && Swings(m_high, level))
            {
                m_phase = Phase::Falling;
                m_extreme = level;
                m_counts = level < dark;
                return m_counts;
            }
            m_low = level < m_low ? level : m_low;
            m_high = level > m_high ? level : m_high;
            return false;
        case Phase::Rising:
            if (level > m_extreme)
            {
                m_extreme = level;
                return false;
            }
            if (Swings(m_extreme, level))
            {
                m_phase = Phase::Falling;
                m_extreme = level;
                m_counts = level < dark;
                return m_counts;
            }
            return false;
        case Phase::Falling:
            if (level < m_extreme)
            {
                m_extreme = level;
                // A swing down that did not count does once its darker side is below the limit.
                bool now = !m_counts && level < dark;
                m_counts = m_counts || now;
                return now;
            }
            if (Swings(m_extreme, level))
            {
                m_phase = Phase::Rising;
                m_counts = m_extreme < dark;
                m_extreme = level;
                return m_counts;
            }
            return false;
        }
        return false;
    }

    void Swing_Tracker::Quiet_Range(double& low, double& high) const
    {
        const double th = m_rule.threshold, dark = m_rule.darker_below;
        low = -1e9;
        high = 1e9;
        switch (m_phase)
        {
        case Phase::Empty: break;
        case Phase::Start:
            if (m_low < dark)
                high = m_low + th;
            low = m_high - th < dark ? m_high - th : dark;
            break;
        case Phase::Rising: low = m_extreme - th < dark ? m_extreme - th : dark; break;
        case Phase::Falling:
            if (m_counts)
                high = m_extreme + th;
            else
                low = dark;
            break;
        }
    }
}
