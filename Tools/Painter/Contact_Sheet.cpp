// contact_sheet DATA_DIR OUT.png: all 46 pictures on one sheet, each
// read back through the show's own loaders, one row per group (JPEG
// textures, the three word groups, the closing graphics, the glitch layer).
// A picture that fails to load shows as a red cell.
#include "Code/Texture.h"
#include "Tools/Image_Writer/Image_Writer.h"
#include "Tools/Painter/Font_Files.h"
#include "Tools/Painter/Picture_List.h"
#include "Tools/Painter/Text.h"

#include <cstdio>
#include <string>

using namespace Ryx_Painter;

namespace
{
    const int Columns = 10, Cell_W = 168, Cell_H = 146, Thumb_W = 160, Thumb_H = 120;

    // Which sheet row each picture goes on: a new row at each group's first file.
    bool Starts_Row(const std::string& path)
    {
        return path == "tekstit/a1.tga" || path == "tekstit/b1.tga" || path == "tekstit/c1.tga" ||
            path == "texture/x1_basari.tga" || path == "texture/MO_1.tga";
    }

    std::uint32_t Pixel_At(Ryx_Vektu::Texture& t, int x, int y)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(t.Get_Pixels());
        std::size_t i = static_cast<std::size_t>(y) * t.Get_Width() + x;
        if (t.Get_Bytes_Per_Pixel() == 1)
            return bytes[i] * 0x010101u;
        return static_cast<const std::uint32_t*>(t.Get_Pixels())[i];
    }
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: contact_sheet DATA_DIR OUT.png\n");
        return 2;
    }
    std::string data_dir = argv[1];
    Font font(Font_File(Face_Mono));
    const int rows = 6, sheet_w = Columns * Cell_W, sheet_h = rows * Cell_H;
    std::vector<std::uint32_t> sheet(static_cast<std::size_t>(sheet_w) * sheet_h, 0xFF202020u);
    Grey_Image labels(sheet_w, sheet_h);

    int row = -1, column = Columns;
    int failures = 0;
    for (const Picture_File& file : Picture_Files)
    {
        if (Starts_Row(file.path) || column == Columns || row < 0)
        {
            ++row;
            column = 0;
        }
        int left = column * Cell_W + (Cell_W - Thumb_W) / 2, top = row * Cell_H + 4;
        ++column;
        std::string name = file.path;
        font.Draw_Centred(labels, name.substr(name.find('/') + 1), 11, left + Thumb_W / 2, top + Thumb_H + 15, 1.0f);

        std::string path = data_dir + "/" + name;
        Ryx_Lib::Single<Ryx_Vektu::Texture> texture = name.ends_with(".jpg")
            ? Ryx_Vektu::Load_JPG_Texture(path.c_str())
            : Ryx_Vektu::Load_TGA_Texture(path.c_str());
        Ryx_Vektu::Texture* t = texture.Get();
        int w = t ? t->Get_Width() : 0, h = t ? t->Get_Height() : 0;
        if (w <= 0 || h <= 0 || !t->Get_Pixels())
        {
            ++failures;
            for (int y = 0; y < Thumb_H; ++y)
                for (int x = 0; x < Thumb_W; ++x)
                    sheet[static_cast<std::size_t>(top + y) * sheet_w + left + x] = 0xFFA01010u;
            continue;
        }
        // Fit the picture into the thumbnail, keeping its shape; each thumbnail
        // pixel averages the block of picture pixels it covers.
        double scale = std::max(double(w) / Thumb_W, double(h) / Thumb_H);
        int tw = int(w / scale), th = int(h / scale);
        int ox = left + (Thumb_W - tw) / 2, oy = top + (Thumb_H - th) / 2;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x)
            {
                int x0 = int(x * scale), x1 = std::max(x0 + 1, int((x + 1) * scale));
                int y0 = int(y * scale), y1 = std::max(y0 + 1, int((y + 1) * scale));
                unsigned r = 0, g = 0, b = 0, n = 0;
                for (int sy = y0; sy < y1 && sy < h; ++sy)
                    for (int sx = x0; sx < x1 && sx < w; ++sx)
                    {
                        std::uint32_t p = Pixel_At(*t, sx, sy);
                        r += (p >> 16) & 255, g += (p >> 8) & 255, b += p & 255, ++n;
                    }
                n = std::max(n, 1u);
                sheet[static_cast<std::size_t>(oy + y) * sheet_w + ox + x] =
                    0xFF000000u | (r / n) << 16 | (g / n) << 8 | (b / n);
            }
    }
    for (std::size_t i = 0; i < sheet.size(); ++i)
        if (labels.pixels[i] > 0)
        {
            std::uint32_t v = To_Byte(labels.pixels[i]);
            std::uint32_t p = sheet[i];
            auto channel = [&](int shift) { return std::min(255u, ((p >> shift) & 255) + v) << shift; };
            sheet[i] = 0xFF000000u | channel(16) | channel(8) | channel(0);
        }
    if (!Ryx_Tools::Write_File(argv[2], Ryx_Tools::Encode_PNG(sheet_w, sheet_h, sheet.data())))
    {
        std::fprintf(stderr, "contact_sheet: could not write %s\n", argv[2]);
        return 1;
    }
    std::printf("contact_sheet: %d pictures, %d failed to load, sheet %s\n", Picture_File_Count, failures, argv[2]);
    return failures == 0 ? 0 : 1;
}
