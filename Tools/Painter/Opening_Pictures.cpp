// The loading card and the opening's words. The words are laid over the
// opening's string figure by adding them, so they are light on pure black:
// white letters with a soft glow that fades to exactly nothing.
#include "Tools/Painter/Gradient.h"
#include "Tools/Painter/Noise.h"
#include "Tools/Painter/Pictures.h"
#include "Tools/Painter/Shapes.h"

namespace Ryx_Painter
{
    namespace
    {
        // One statement read across orders 4 to 7, one cue at a time.
        const char* const Words_A[8] = {"WHAT YOU SEE", "IS NOT", "RECORDED", "IT IS",
                                        "COUNTED",      "FRAME",  "BY",       "FRAME"};
        const char* const Words_B[8] = {"NO CAMERA", "NO BRUSH", "ONLY",  "NUMBERS",
                                        "BENT",      "INTO",     "LIGHT", "AND SOUND"};
        const char* const Words_C[10] = {"SO",  "LEAN",    "BACK",  "AND",     "LET",
                                         "THE", "MACHINE", "DREAM", "FOR YOU", "TONIGHT"};

        void Glow_Into(Grey_Image& letters)
        {
            Grey_Image wide = Blur(letters, 28);
            Grey_Image near = Blur(letters, 8);
            for (std::size_t i = 0; i < letters.pixels.size(); ++i)
                letters.pixels[i] += near.pixels[i] * 0.55f + wide.pixels[i] * 0.5f;
            Clear_Haze(letters);
        }
    }

    Grey_Image Paint_Words(Fonts& fonts, char group, int number)
    {
        const int w = 640, h = 480;
        Grey_Image image(w, h);
        const char* text = group == 'a' ? Words_A[number - 1]
            : group == 'b'              ? Words_B[number - 1]
                                        : Words_C[number - 1];
        std::string word = text;
        // Where the word sits: the cues move it around the figure, a little
        // like a camera cutting between angles.
        const int baselines[5] = {290, 190, 400, 290, 150};
        int cue = (group - 'a') * 8 + number - 1;
        int baseline = baselines[cue % 5];
        bool wide = word.size() > 6;
        Font& font = wide ? fonts.condensed : fonts.bold;
        int tracking = wide ? 4 : 10;
        int size = font.Fit(word, 560, word.size() <= 3 ? 230 : 150, tracking);
        // Capitals stand about 0.73 em tall: keep them and their glow on screen.
        int cap = size * 73 / 100;
        baseline = std::min(440, std::max(baseline, 50 + cap));
        Text_Box box = font.Draw_Centred(image, word, size, w / 2, baseline, 1.0f, tracking);
        if (box.x1 > box.x0)
        {
            // Thin rules either side at mid height, a beat of design around the word.
            float mid = (box.y0 + box.y1) * 0.5f;
            if (box.x0 > 90)
                Paint(image, Segment(30, mid, box.x0 - 24.0f, mid, 2), 0.55f);
            if (box.x1 < w - 90)
                Paint(image, Segment(box.x1 + 24.0f, mid, w - 30.0f, mid, 2), 0.55f);
        }
        // Every third row a shade dimmer, like the loading card's scan lines;
        // the glow, taken after, stays smooth.
        for (int y = 0; y < h; y += 3)
            for (int x = 0; x < w; ++x)
                image.At(x, y) *= 0.72f;
        Glow_Into(image);
        return image;
    }

    // Shown while the scenes load, letterboxed on rows 60 to 419.
    Colour_Image Paint_Title_Card(Fonts& fonts)
    {
        const int w = 640, h = 360;
        Grey_Image title(w, h), small(w, h), rule(w, h);
        fonts.bold.Draw_Centred(title, "COUNTED LIGHT", fonts.bold.Fit("COUNTED LIGHT", 520, 76, 6), 320, 200, 1.0f, 6);
        fonts.mono.Draw_Centred(small, "A REAL-TIME SHOW IN FOUR SCENES", 14, 320, 250, 0.8f, 4);
        fonts.mono.Draw_Centred(small, "LOADING", 12, 320, 320, 0.6f, 8);
        Paint(rule, Segment(120, 120, 520, 120, 1.5f), 0.7f);
        Paint(rule, Segment(120, 272, 520, 272, 1.5f), 0.7f);
        for (int i = 0; i < 9; ++i)
            Paint(rule, Disc(280 + i * 10.0f, 300, 2), 0.3f + 0.08f * i);
        Grey_Image glow = Blur(title, 30);
        const Ramp sky{{0.0f, Hex(0x000000)}, {0.5f, Hex(0x04141C)}, {1.0f, Hex(0x000000)}};
        Colour_Image image(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                std::size_t i = static_cast<std::size_t>(y) * w + x;
                Rgb c = sky(y / float(h)) * (0.8f + 0.2f * Fractal_Noise(x / 640.0f, y / 360.0f, 4, 4, 0.5f, 7));
                // Faint scan lines, as on a projected film.
                c = c * (y % 3 == 0 ? 0.7f : 1.0f);
                c = c + Hex(0x1AB0C8) * (glow.pixels[i] * 1.4f);
                c = c + Hex(0xF4FFFF) * title.pixels[i];
                c = c + Hex(0x9AD8E0) * (small.pixels[i] + rule.pixels[i]);
                image.At(x, y) = c;
            }
        return image;
    }
}
