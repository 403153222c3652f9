#include "Tools/Capture/Label_Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Ryx_Capture
{
    namespace
    {
        std::uint32_t Blend(std::uint32_t under, std::uint32_t over, unsigned coverage)
        {
            std::uint32_t out = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
            {
                unsigned a = (under >> shift) & 255, b = (over >> shift) & 255;
                out |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
            }
            return out;
        }
    }

    void Label_Font::Free_Type::operator()(FT_LibraryRec_* library) const { FT_Done_FreeType(library); }
    void Label_Font::Free_Type::operator()(FT_FaceRec_* face) const { FT_Done_Face(face); }

    Label_Font::Label_Font(const std::string& file)
    {
        FT_Library library = nullptr;
        if (file.empty() || FT_Init_FreeType(&library) != 0)
            return;
        m_library.reset(library);
        FT_Face face = nullptr;
        if (FT_New_Face(library, file.c_str(), 0, &face) == 0)
            m_face.reset(face);
    }

    void Label_Font::Draw(std::uint32_t* pixels, int width, int height, int x, int y, const std::string& text, int size,
                          std::uint32_t colour) const
    {
        FT_Face face = m_face.get();
        if (!face)
            return;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        int pen = x;
        for (unsigned char c : text)
        {
            if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot g = face->glyph;
            for (unsigned row = 0; row < g->bitmap.rows; ++row)
                for (unsigned col = 0; col < g->bitmap.width; ++col)
                {
                    int px = pen + g->bitmap_left + int(col), py = y - g->bitmap_top + int(row);
                    if (px < 0 || py < 0 || px >= width || py >= height)
                        continue;
                    unsigned coverage = g->bitmap.buffer[row * unsigned(g->bitmap.pitch) + col];
                    std::uint32_t& p = pixels[std::size_t(py) * width + px];
                    p = Blend(p, colour, coverage);
                }
            pen += int(g->advance.x >> 6);
        }
    }
}
