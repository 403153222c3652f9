// libFuzzer target: Decode_JPG with its data source on any bytes. A first
// byte other than 0xFF takes the descrambling path, so both are reached.
#include "Tools/Fuzz/Fuzz_Check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Ryx_Lib::Single<Ryx_Vektu::Texture> texture = Ryx_Vektu::Decode_JPG({data, size}, "fuzz input");
    Ryx_Fuzz::Check(texture.Get(), false);
    return 0;
}
