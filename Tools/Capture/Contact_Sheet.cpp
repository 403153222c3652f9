#include "Tools/Capture/Contact_Sheet.h"

#include <cstdio>

namespace Ryx_Capture
{
    namespace
    {
        constexpr int Margin = 8;
        constexpr int Label_Height = 22;
    }

    Contact_Sheet::Contact_Sheet(int orders) : m_thumbs(std::size_t(orders)) {}

    // Box-filtered down to thumbnail size.
    void Contact_Sheet::Add(int order, double seconds, const std::uint32_t* frame, int width, int height)
    {
        if (order < 0 || order >= int(m_thumbs.size()))
            return;
        int fx = width / Thumb_Width, fy = height / Thumb_Height;
        if (fx < 1 || fy < 1)
            return;
        double brightness = 0;
        for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
            brightness += ((frame[i] >> 16) & 255) + ((frame[i] >> 8) & 255) + (frame[i] & 255);
        Thumb& t = m_thumbs[std::size_t(order)];
        // The first frame offered, unless it is nearly black (between two
        // beats of a line scene): then the brightest one.
        const double dark = 8.0 * 3.0 * double(width) * height;
        if (t.set && (t.brightness >= dark || brightness <= t.brightness))
            return;
        t.set = true;
        t.seconds = seconds;
        t.brightness = brightness;
        t.pixels.assign(std::size_t(Thumb_Width) * Thumb_Height, 0xFF000000u);
        for (int y = 0; y < Thumb_Height; ++y)
            for (int x = 0; x < Thumb_Width; ++x)
            {
                unsigned sum[3] = {0, 0, 0};
                for (int j = 0; j < fy; ++j)
                    for (int i = 0; i < fx; ++i)
                    {
                        std::uint32_t p = frame[std::size_t(y * fy + j) * width + x * fx + i];
                        sum[0] += (p >> 16) & 255;
                        sum[1] += (p >> 8) & 255;
                        sum[2] += p & 255;
                    }
                unsigned n = unsigned(fx * fy);
                t.pixels[std::size_t(y) * Thumb_Width + x] =
                    0xFF000000u | (sum[0] / n) << 16 | (sum[1] / n) << 8 | (sum[2] / n);
            }
    }

    std::vector<std::uint32_t> Contact_Sheet::Compose(const Label_Font& font, int& width, int& height) const
    {
        int rows = (int(m_thumbs.size()) + Columns - 1) / Columns;
        width = Columns * Thumb_Width + (Columns + 1) * Margin;
        height = rows * (Thumb_Height + Label_Height) + (rows + 1) * Margin;
        std::vector<std::uint32_t> sheet(std::size_t(width) * height, 0xFF181818u);
        for (int k = 0; k < int(m_thumbs.size()); ++k)
        {
            int x0 = Margin + (k % Columns) * (Thumb_Width + Margin);
            int y0 = Margin + (k / Columns) * (Thumb_Height + Label_Height + Margin);
            const Thumb& t = m_thumbs[std::size_t(k)];
            if (t.set)
                for (int y = 0; y < Thumb_Height; ++y)
                    for (int x = 0; x < Thumb_Width; ++x)
                        sheet[std::size_t(y0 + y) * width + x0 + x] = t.pixels[std::size_t(y) * Thumb_Width + x];
            char label[64];
            int minutes = int(t.seconds / 60.0);
            std::snprintf(label, sizeof label, "order %d  %d:%04.1f", k, minutes, t.seconds - minutes * 60.0);
            font.Draw(sheet.data(), width, height, x0 + 2, y0 + Thumb_Height + 16, t.set ? label : "-", 13,
                      0xFFE0E0E0u);
        }
        return sheet;
    }
}
