#!/usr/bin/env bash
# Builds the texture loaders' fuzz targets with clang (libFuzzer, ASan,
# UBSan) by the fuzz preset (Tools/Fuzz/CMakeLists.txt) and writes their seed
# corpora with the image writers.
#   Tools/Fuzz/build.sh [OUT_DIR]   (default build-fuzz)
# Outputs OUT_DIR/bin/Fuzz_TGA, OUT_DIR/bin/Fuzz_JPG, OUT_DIR/seeds/{tga,jpg}.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build-fuzz}
mkdir -p "$out/seeds/tga" "$out/seeds/jpg"
cmake --preset fuzz -B "$out" > /dev/null
cmake --build "$out" -j"$(nproc)" --target Fuzz_TGA Fuzz_JPG Make_Seeds
"$out/bin/Make_Seeds" "$out/seeds/tga" "$out/seeds/jpg"
