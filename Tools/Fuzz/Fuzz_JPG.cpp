// libFuzzer target: Load_JPG_Texture with its data source on any bytes. A
// first byte other than 0xFF takes the descrambling path, so both are reached.
#include "Tools/Fuzz/Fuzz_Support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = Ryx_Fuzz::Input_Path(".jpg");
    Ryx_Fuzz::Write_Input(path, data, size);
    Ryx_Lib::Single<Ryx_Vektu::Texture> texture = Ryx_Vektu::Load_JPG_Texture(path.c_str());
    Ryx_Fuzz::Check(texture.Get(), false);
    return 0;
}
