// libFuzzer target: Decode_TGA on any bytes.
#include "Tools/Fuzz/Fuzz_Check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Ryx_Lib::Single<Ryx_Vektu::Texture> texture = Ryx_Vektu::Decode_TGA({data, size}, "fuzz input");
    Ryx_Fuzz::Check(texture.Get(), true);
    return 0;
}
