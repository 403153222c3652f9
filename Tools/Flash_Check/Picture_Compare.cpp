#include "Tools/Flash_Check/Picture_Compare.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Ryx_Tools
{
    double Difference::Psnr() const
    {
        if (squared_error == 0 || samples == 0)
            return INFINITY;
        return 10.0 * std::log10(255.0 * 255.0 / (squared_error / samples));
    }

    // From the sums of 4 x 4 blocks: each 8 x 8 window is 2 x 2 of them.
    double Frame_Ssim(const std::uint32_t* a, const std::uint32_t* b, int width, int height)
    {
        constexpr int Block = 4;
        const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
        auto luma = [](std::uint32_t p) {
            return std::int64_t((299 * ((p >> 16) & 255) + 587 * ((p >> 8) & 255) + 114 * (p & 255) + 500) / 1000);
        };
        struct Sums
        {
            std::int64_t a = 0, b = 0, aa = 0, bb = 0, ab = 0;
            void operator+=(const Sums& o) { a += o.a, b += o.b, aa += o.aa, bb += o.bb, ab += o.ab; }
        };
        const int columns = width / Block, rows = height / Block;
        std::vector<Sums> blocks(std::size_t(columns) * std::size_t(rows));
        for (int y = 0; y < rows * Block; ++y)
            for (int x = 0; x < columns * Block; ++x)
            {
                std::int64_t la = luma(a[std::size_t(y) * width + x]), lb = luma(b[std::size_t(y) * width + x]);
                Sums& s = blocks[std::size_t(y / Block) * columns + x / Block];
                s.a += la, s.b += lb, s.aa += la * la, s.bb += lb * lb, s.ab += la * lb;
            }
        double sum = 0;
        long windows = 0;
        for (int by = 0; by + 1 < rows; ++by)
            for (int bx = 0; bx + 1 < columns; ++bx)
            {
                Sums s;
                for (int j = 0; j < 2; ++j)
                    for (int i = 0; i < 2; ++i)
                        s += blocks[std::size_t(by + j) * columns + bx + i];
                const double n = 4.0 * Block * Block;
                double ma = s.a / n, mb = s.b / n;
                double va = s.aa / n - ma * ma, vb = s.bb / n - mb * mb, cov = s.ab / n - ma * mb;
                sum += (2 * ma * mb + c1) * (2 * cov + c2) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
                ++windows;
            }
        return windows ? sum / double(windows) : 1.0;
    }

    void Picture_Compare::Add(const std::uint32_t* a, const std::uint32_t* b, int width, int height, int group,
                              std::uint32_t milliseconds)
    {
        Difference& d = m_groups[std::size_t(group)];
        const std::size_t count = std::size_t(width) * height;
        ++d.frames;
        d.samples += 3.0 * double(count);
        bool same = std::memcmp(a, b, count * 4) == 0;
        if (!same)
        {
            // Perhaps only in the top bytes, which are not shown.
            same = true;
            for (std::size_t i = 0; i < count && same; ++i)
                same = ((a[i] ^ b[i]) & 0xFFFFFFu) == 0;
        }
        if (same)
        {
            d.ssim += 1.0;
            return;
        }
        ++d.changed;
        m_changed.push_back(milliseconds);
        std::uint64_t error = 0;
        for (std::size_t i = 0; i < count; ++i)
            for (int shift = 0; shift < 24; shift += 8)
            {
                int e = int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255);
                error += std::uint64_t(e * e);
            }
        d.squared_error += double(error);
        d.worst_psnr = std::min(d.worst_psnr, 10.0 * std::log10(255.0 * 255.0 * 3.0 * double(count) / double(error)));
        d.ssim += Frame_Ssim(a, b, width, height);
    }

    Difference Picture_Compare::Whole() const
    {
        Difference all;
        for (const Difference& d : m_groups)
        {
            all.frames += d.frames;
            all.changed += d.changed;
            all.squared_error += d.squared_error;
            all.samples += d.samples;
            all.ssim += d.ssim;
            all.worst_psnr = std::min(all.worst_psnr, d.worst_psnr);
        }
        return all;
    }

    std::vector<int> Identity_Breaks(const std::vector<Flash_Second>& by_default,
                                     const std::vector<std::uint32_t>& changed_times)
    {
        std::vector<int> breaks;
        std::size_t next = 0;  // the first changed frame at or after the second's start
        for (std::size_t s = 0; s < by_default.size(); ++s)
        {
            const std::uint32_t start = std::uint32_t(s) * 1000;
            while (next < changed_times.size() && changed_times[next] < start)
                ++next;
            bool recent = next > 0 && start - changed_times[next - 1] < 1000;
            bool changed_in_it = next < changed_times.size() && changed_times[next] < start + 1000;
            if (!by_default[s].Fails() && !recent && changed_in_it)
                breaks.push_back(int(s));
        }
        return breaks;
    }
}
