// Placeholder: the writers are not written yet.
#include "Tools/Image_Writer/Image_Writer.h"

namespace Ryx_Tools
{
    std::vector<std::uint8_t> Encode_TGA(int, int, const std::uint8_t*, const Tga_Options&) { return {}; }
    std::vector<std::uint8_t> Encode_JPEG(int, int, const std::uint32_t*, int, bool) { return {}; }
    std::vector<std::uint8_t> Encode_PNG(int, int, const std::uint32_t*, int) { return {}; }
    void Scramble(std::vector<std::uint8_t>&) {}
    bool Write_File(const std::string&, const std::vector<std::uint8_t>&) { return false; }
}
