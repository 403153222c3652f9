// How far the calm picture is from the default one, frame by frame: which
// frames differ at all, the squared error over R, G and B, and SSIM of the
// luma (8 x 8 windows every 4 pixels), per scene and over the whole show.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Tools/Flash_Check/Flash_Series.h"

namespace Ryx_Tools
{
    struct Difference
    {
        long frames = 0;
        long changed = 0;
        double squared_error = 0;  // summed over every channel of every pixel
        double samples = 0;        // channel values compared
        double ssim = 0;           // summed over frames
        double worst_psnr = 1e9;

        // Infinite when nothing differs.
        double Psnr() const;
        double Ssim() const { return frames ? ssim / double(frames) : 1.0; }
    };

    class Picture_Compare
    {
    public:
        explicit Picture_Compare(int groups) : m_groups(std::size_t(groups)) {}
        // Two frames of the same size; group: the scene (0 to groups - 1).
        void Add(const std::uint32_t* a, const std::uint32_t* b, int width, int height, int group,
                 std::uint32_t milliseconds);
        const Difference& Group(int group) const { return m_groups[std::size_t(group)]; }
        Difference Whole() const;
        const std::vector<std::uint32_t>& Changed_Times() const { return m_changed; }

    private:
        std::vector<Difference> m_groups;
        std::vector<std::uint32_t> m_changed;
    };

    // SSIM of two frames' luma.
    double Frame_Ssim(const std::uint32_t* a, const std::uint32_t* b, int width, int height);

    // The rule the calm picture keeps: every frame of a second that passes by
    // default, and that starts a second or more after the last changed frame
    // before it, is the default frame. The seconds that break it.
    std::vector<int> Identity_Breaks(const std::vector<Flash_Second>& by_default,
                                     const std::vector<std::uint32_t>& changed_times);
}
