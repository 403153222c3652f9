// scrambler IN [OUT]: XORs a file with the show's JPEG key stream. The stream
// is its own inverse, so the same command scrambles and unscrambles. Without
// OUT the file is replaced in place (through a temporary file).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Tools/Image_Writer/Image_Writer.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: %s IN [OUT]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "scrambler: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
    {
        std::fprintf(stderr, "scrambler: cannot read %s\n", argv[1]);
        return 1;
    }
    in.close();
    Ryx_Tools::Scramble(bytes);
    const std::string out = argc == 3 ? argv[2] : argv[1];
    if (!Ryx_Tools::Write_File(out, bytes))
    {
        std::fprintf(stderr, "scrambler: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
