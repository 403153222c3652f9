// libFuzzer target: Load_TGA_Texture on any bytes.
#include "Tools/Fuzz/Fuzz_Support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = Ryx_Fuzz::Input_Path(".tga");
    Ryx_Fuzz::Write_Input(path, data, size);
    Ryx_Lib::Single<Ryx_Vektu::Texture> texture = Ryx_Vektu::Load_TGA_Texture(path.c_str());
    Ryx_Fuzz::Check(texture.Get(), true);
    return 0;
}
