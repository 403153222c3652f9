#!/usr/bin/env bash
# Builds the texture loaders' fuzz targets with clang (libFuzzer, ASan,
# UBSan) and writes their seed corpora with the image writers.
#   Tools/Fuzz/build.sh [OUT_DIR]   (default build-fuzz)
# Outputs OUT_DIR/Fuzz_TGA, OUT_DIR/Fuzz_JPG, OUT_DIR/seeds/{tga,jpg}.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build-fuzz}
mkdir -p "$out/seeds/tga" "$out/seeds/jpg"

cxx=${CXX_FUZZ:-clang++}
# The pixel bound is lowered so that a header claiming a large image costs
# milliseconds, not seconds, per run; the check itself is the same code.
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -I.
       -fsanitize=address,undefined -fno-sanitize-recover=undefined
       "-DRYX_MAX_TEXTURE_PIXELS=(1024u*1024u)")
loader=(Code/Texture.cpp Code/Texture_TGA_Image.cpp Code/JPG_Source.cpp Code/Regular_File.cpp Platform/File_Kind.cpp
        Tools/Fuzz/Fuzz_Assertion.cpp)

"$cxx" "${flags[@]}" -fsanitize=fuzzer Tools/Fuzz/Fuzz_TGA.cpp "${loader[@]}" -ljpeg -o "$out/Fuzz_TGA" &
"$cxx" "${flags[@]}" -fsanitize=fuzzer Tools/Fuzz/Fuzz_JPG.cpp "${loader[@]}" -ljpeg -o "$out/Fuzz_JPG" &
"$cxx" "${flags[@]}" Tools/Fuzz/Make_Seeds.cpp Tools/Image_Writer/Image_Writer.cpp -ljpeg -lpng -o "$out/Make_Seeds"
wait %1 %2
"$out/Make_Seeds" "$out/seeds/tga" "$out/seeds/jpg"
