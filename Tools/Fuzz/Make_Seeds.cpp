// Writes the seed corpora of the fuzz targets with the show's own writers:
// every TGA form the loader reads, and plain, scrambled, grey and
// segment-padded JPEG files.  Make_Seeds TGA_DIR JPG_DIR
#include <cstdio>
#include <string>
#include <vector>

#include "Tools/Image_Writer/Image_Writer.h"

using Bytes = std::vector<std::uint8_t>;

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string tga_dir = argv[1], jpg_dir = argv[2];
    int written = 0;
    auto put = [&](const std::string& path, const Bytes& bytes) {
        if (bytes.empty() || !Ryx_Tools::Write_File(path, bytes))
        {
            std::fprintf(stderr, "Make_Seeds: cannot write %s\n", path.c_str());
            std::exit(1);
        }
        ++written;
    };

    const int w = 7, h = 4;
    for (int depth : {8, 15, 16, 24, 32})
    {
        const int bpp = depth == 8 ? 1 : depth <= 16 ? 2 : depth / 8;
        Bytes pixels(std::size_t(w) * h * bpp);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = std::uint8_t(i < pixels.size() / 2 ? 0x11 : i * 37);
        for (bool rle : {false, true})
            for (bool map : {false, true})
                for (std::uint8_t descriptor : {0x00, 0x08, 0x20, 0x18})
                {
                    Ryx_Tools::Tga_Options o;
                    o.depth = depth;
                    o.run_length = rle;
                    o.colour_map = map;
                    o.colour_map_entry_bits = 24;
                    o.colour_map_length = map ? 4 : 0;
                    o.image_id = map ? "id" : "";
                    o.descriptor = descriptor;
                    char name[64];
                    std::snprintf(name, sizeof name, "/d%d_r%d_m%d_o%02x.tga", depth, rle, map, descriptor);
                    put(tga_dir + name, Ryx_Tools::Encode_TGA(w, h, pixels.data(), o));
                }
    }

    std::vector<std::uint32_t> picture(48 * 32);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = 0xFF000000u | std::uint32_t(i * 2654435761u >> 8);
    const Bytes colour = Ryx_Tools::Encode_JPEG(48, 32, picture.data(), 80);
    const Bytes grey = Ryx_Tools::Encode_JPEG(48, 32, picture.data(), 80, true);
    const Bytes tiny = Ryx_Tools::Encode_JPEG(3, 2, picture.data(), 50);
    // A comment segment across the first 4096-byte buffer's end.
    Bytes padded(colour.begin(), colour.begin() + 2);
    const int length = 4200;
    padded.insert(padded.end(), {0xFF, 0xFE, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)});
    padded.insert(padded.end(), length - 2, 'c');
    padded.insert(padded.end(), colour.begin() + 2, colour.end());
    const std::pair<const char*, const Bytes*> jpegs[] = {
        {"colour", &colour}, {"grey", &grey}, {"tiny", &tiny}, {"padded", &padded}};
    for (const auto& [name, bytes] : jpegs)
    {
        put(jpg_dir + "/" + name + ".jpg", *bytes);
        Bytes scrambled = *bytes;
        Ryx_Tools::Scramble(scrambled);
        put(jpg_dir + "/" + name + "_scrambled.jpg", scrambled);
    }
    std::printf("Make_Seeds: %d files\n", written);
    return 0;
}
