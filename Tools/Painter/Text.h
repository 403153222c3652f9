// Lettering through FreeType: a font file opened once, words laid into a grey
// mask with the font's own anti-aliasing, kerning and an adjustable tracking.
#pragma once
#include "Tools/Painter/Canvas.h"

#include <memory>
#include <string>

namespace Ryx_Painter
{
    struct Text_Box
    {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // pixels the letters touch; empty when x1 <= x0
    };

    class Font
    {
    public:
        // A font that failed to open draws nothing; Is_Open says so.
        explicit Font(const std::string& path);
        ~Font();
        Font(const Font&) = delete;
        Font& operator=(const Font&) = delete;

        bool Is_Open() const;

        // Width in pixels of text at size (pixel height of the em), with
        // tracking pixels added between letters.
        int Measure(const std::string& text, int size, int tracking = 0);

        // Lays the letters with their baseline at baseline_y, starting at x;
        // coverage is added at value into image, clamped at 1.
        Text_Box Draw(Grey_Image& image, const std::string& text, int size, int x, int baseline_y, float value = 1.0f,
                      int tracking = 0);

        // Centred on centre_x.
        Text_Box Draw_Centred(Grey_Image& image, const std::string& text, int size, int centre_x, int baseline_y,
                              float value = 1.0f, int tracking = 0);

        // The largest size up to max_size at which text fits in width.
        int Fit(const std::string& text, int width, int max_size, int tracking = 0);

    private:
        struct State;
        std::unique_ptr<State> m_state;
    };
}
