// A contact sheet of the show: one thumbnail per order, labelled with the
// order and its time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Tools/Capture/Label_Font.h"

namespace Ryx_Capture
{
    class Contact_Sheet
    {
    public:
        static constexpr int Columns = 6;
        static constexpr int Thumb_Width = 160;
        static constexpr int Thumb_Height = 120;

        explicit Contact_Sheet(int orders);
        // A 640 x 480 frame shown at that order; each order keeps the first
        // frame it is offered, or, while that is nearly black, the brightest
        // (a beat's flash rather than the dark between two beats).
        void Add(int order, double seconds, const std::uint32_t* frame, int width, int height);
        // The whole sheet as 0xAARRGGBB pixels, labelled in that font.
        std::vector<std::uint32_t> Compose(const Label_Font& font, int& width, int& height) const;

    private:
        struct Thumb
        {
            bool set = false;
            double seconds = 0.0;
            double brightness = -1.0;
            std::vector<std::uint32_t> pixels;
        };
        std::vector<Thumb> m_thumbs;
    };
}
