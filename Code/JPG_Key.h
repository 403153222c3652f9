// The running XOR key of scrambled JPEG files, shared by the loader and the
// scrambler tool. Byte i of a file is XORed with (initial + i * step) mod 256.
#pragma once
#include <cstdint>

namespace Ryx_Vektu
{
    // Not 0: a scrambled file is recognised by a first byte other than 0xFF.
    constexpr std::uint8_t JPG_Initial_Key = 0x5A;
    constexpr std::uint8_t JPG_Key_Step = 0x3D;
}
