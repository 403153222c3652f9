#include "Tools/Capture/Label_Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Ryx_Capture
{
    namespace
    {
        const char* const s_fonts[] = {
            "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
            "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        };

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

    bool Draw_Label(std::uint32_t* pixels, int width, int height, int x, int y, const std::string& text, int size,
                    std::uint32_t colour)
    {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0)
            return false;
        FT_Face face = nullptr;
        for (const char* path : s_fonts)
            if (FT_New_Face(library, path, 0, &face) == 0)
                break;
        if (!face)
        {
            FT_Done_FreeType(library);
            return false;
        }
        FT_Set_Pixel_Sizes(face, 0, size);
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
                    unsigned coverage = g->bitmap.buffer[row * g->bitmap.pitch + col];
                    std::uint32_t& p = pixels[std::size_t(py) * width + px];
                    p = Blend(p, colour, coverage);
                }
            pen += int(g->advance.x >> 6);
        }
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        return true;
    }
}
