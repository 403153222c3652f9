// painter DATA_DIR: paints every picture of the show and writes it under
// DATA_DIR/texture and DATA_DIR/tekstit. Run by the build; the same build
// always writes the same bytes. The TGA files use a mix of the encodings the
// show's loader reads, so the show itself exercises them all.
// painter --icon SIZE OUT.png: the program's icon for desktop menus.
#include "Tools/Image_Writer/Image_Writer.h"
#include "Tools/Painter/Font_Files.h"
#include "Tools/Painter/Pictures.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace Ryx_Painter;

namespace
{
    struct Writer
    {
        std::string data_dir;
        int failures = 0;

        void Save(const std::string& name, const std::vector<std::uint8_t>& bytes)
        {
            if (bytes.empty() || !Ryx_Tools::Write_File(data_dir + "/" + name, bytes))
            {
                std::fprintf(stderr, "painter: could not write %s\n", name.c_str());
                ++failures;
            }
        }

        void Jpeg(const std::string& name, const Colour_Image& image, bool scrambled)
        {
            std::vector<std::uint32_t> pixels = To_Pixels(image);
            std::vector<std::uint8_t> bytes = Ryx_Tools::Encode_JPEG(image.width, image.height, pixels.data(), 92);
            if (scrambled && !bytes.empty())
                Ryx_Tools::Scramble(bytes);
            Save(name, bytes);
        }

        // encoding: which of the loader's forms this file takes; counting
        // through the files walks through all of them.
        void Tga(const std::string& name, const Grey_Image& image, int encoding)
        {
            Ryx_Tools::Tga_Options options;
            options.depth = 8;
            options.run_length = (encoding & 1) != 0;
            options.descriptor = (encoding & 2) ? 0x00 : 0x20;  // bottom-up or top-down rows
            if (encoding % 3 == 0)
                options.image_id = "painted: " + name;
            std::vector<std::uint8_t> grey = To_Grey_Bytes(image);
            Save(name, Ryx_Tools::Encode_TGA(image.width, image.height, grey.data(), options));
        }
    };
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--icon")
    {
        int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024)
        {
            std::fprintf(stderr, "painter: an icon is 16 to 1024 pixels wide\n");
            return 2;
        }
        std::vector<std::uint32_t> pixels = To_Pixels(Paint_Icon(size));
        if (!Ryx_Tools::Write_File(argv[3], Ryx_Tools::Encode_PNG(size, size, pixels.data())))
        {
            std::fprintf(stderr, "painter: could not write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: painter DATA_DIR\n       painter --icon SIZE OUT.png\n");
        return 2;
    }
    Writer out{argv[1]};
    for (const Face& face : {Face_Bold, Face_Condensed, Face_Mono_Bold})
        if (Font_File(face).empty())
        {
            std::fprintf(stderr, "painter: %s\n", Missing_Font_Message(face).c_str());
            return 1;
        }
    Fonts fonts{Font(Font_File(Face_Bold)), Font(Font_File(Face_Condensed)), Font(Font_File(Face_Mono_Bold))};
    if (!fonts.bold.Is_Open() || !fonts.condensed.Is_Open() || !fonts.mono.Is_Open())
    {
        std::fprintf(stderr, "painter: FreeType could not open the DejaVu fonts\n");
        return 1;
    }

    out.Jpeg("texture/cinemascope.jpg", Paint_Title_Card(fonts), false);
    out.Jpeg("texture/teksture_krazy.jpg", Paint_Krazy_Wall(), false);
    out.Jpeg("texture/teksture.jpg", Paint_Plated_Wall(), false);
    out.Jpeg("texture/trash_punanen.jpg", Paint_Red_Wall(), true);
    out.Jpeg("texture/mafia_368.jpg", Paint_Horizon(fonts), false);
    out.Jpeg("texture/joomu.jpg", Paint_Marble(), false);
    out.Jpeg("texture/trash_sininen_1.jpg", Paint_Blue_Crystal(), true);
    out.Jpeg("texture/trash_total_vihree.jpg", Paint_Green_Veins(), true);

    int encoding = 0;
    const std::pair<char, int> groups[3] = {{'a', 8}, {'b', 8}, {'c', 10}};
    for (auto [group, count] : groups)
        for (int n = 1; n <= count; ++n)
            out.Tga("tekstit/" + std::string(1, group) + std::to_string(n) + ".tga", Paint_Words(fonts, group, n),
                    encoding++);

    const char* const drums[4] = {"texture/x1_basari.tga", "texture/x2_snare.tga", "texture/x3_vs1.tga",
                                  "texture/x1_vs2.tga"};
    for (int i = 0; i < 4; ++i)
        out.Tga(drums[i], Paint_Drum(i), encoding++);
    for (int i = 0; i < 4; ++i)
        out.Tga("texture/g" + std::to_string(i + 1) + ".tga", Paint_Stutter(i), encoding++);
    for (int i = 0; i < 4; ++i)
        out.Tga("texture/MO_" + std::to_string(i + 1) + ".tga", Paint_Glitch(fonts, i), encoding++);

    return out.failures == 0 ? 0 : 1;
}
