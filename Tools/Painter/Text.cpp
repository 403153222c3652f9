// FreeType lettering; see Text.h. Only ASCII text is drawn: the painter's
// words are its own and plain.
#include "Tools/Painter/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Ryx_Painter
{
    struct Font::State
    {
        FT_Library library = nullptr;
        FT_Face face = nullptr;
    };

    Font::Font(const std::string& path) : m_state(std::make_unique<State>())
    {
        if (FT_Init_FreeType(&m_state->library) != 0)
        {
            m_state->library = nullptr;
            return;
        }
        if (FT_New_Face(m_state->library, path.c_str(), 0, &m_state->face) != 0)
            m_state->face = nullptr;
    }

    Font::~Font()
    {
        if (m_state->face)
            FT_Done_Face(m_state->face);
        if (m_state->library)
            FT_Done_FreeType(m_state->library);
    }

    bool Font::Is_Open() const { return m_state->face != nullptr; }

    int Font::Measure(const std::string& text, int size, int tracking)
    {
        if (!Is_Open() || text.empty())
            return 0;
        FT_Face face = m_state->face;
        FT_Set_Pixel_Sizes(face, 0, size);
        long pen = 0;
        FT_UInt previous = 0;
        int right = 0;
        for (unsigned char c : text)
        {
            FT_UInt glyph = FT_Get_Char_Index(face, c);
            if (previous && glyph && FT_HAS_KERNING(face))
            {
                FT_Vector kern;
                FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
                pen += kern.x;
            }
            if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0)
                continue;
            right = static_cast<int>((pen + face->glyph->metrics.horiBearingX + face->glyph->metrics.width) >> 6);
            pen += face->glyph->advance.x + tracking * 64;
            previous = glyph;
        }
        return right;
    }

    Text_Box Font::Draw(Grey_Image& image, const std::string& text, int size, int x, int baseline_y, float value,
                        int tracking)
    {
        Text_Box box;
        box.x0 = image.width, box.y0 = image.height;
        if (!Is_Open())
            return {};
        FT_Face face = m_state->face;
        FT_Set_Pixel_Sizes(face, 0, size);
        long pen = static_cast<long>(x) * 64;
        FT_UInt previous = 0;
        for (unsigned char c : text)
        {
            FT_UInt glyph = FT_Get_Char_Index(face, c);
            if (previous && glyph && FT_HAS_KERNING(face))
            {
                FT_Vector kern;
                FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
                pen += kern.x;
            }
            previous = glyph;
            if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0)
                continue;
            FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            int left = static_cast<int>(pen >> 6) + slot->bitmap_left;
            int top = baseline_y - slot->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned col = 0; col < bitmap.width; ++col)
                {
                    int px = left + static_cast<int>(col), py = top + static_cast<int>(row);
                    if (px < 0 || py < 0 || px >= image.width || py >= image.height)
                        continue;
                    unsigned char a = bitmap.buffer[row * bitmap.pitch + col];
                    if (a == 0)
                        continue;
                    float& p = image.At(px, py);
                    p = std::min(1.0f, p + value * (a / 255.0f));
                    box.x0 = std::min(box.x0, px), box.y0 = std::min(box.y0, py);
                    box.x1 = std::max(box.x1, px + 1), box.y1 = std::max(box.y1, py + 1);
                }
            pen += slot->advance.x + tracking * 64;
        }
        if (box.x1 <= box.x0)
            return {};
        return box;
    }

    Text_Box Font::Draw_Centred(Grey_Image& image, const std::string& text, int size, int centre_x, int baseline_y,
                                float value, int tracking)
    {
        return Draw(image, text, size, centre_x - Measure(text, size, tracking) / 2, baseline_y, value, tracking);
    }

    int Font::Fit(const std::string& text, int width, int max_size, int tracking)
    {
        int size = max_size;
        while (size > 8 && Measure(text, size, tracking) > width)
            size -= 2;
        return size;
    }
}
