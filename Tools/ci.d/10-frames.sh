#!/usr/bin/env bash
# The same frames in every build: the release build (GCC -O2), the sanitizer
# build (GCC -O1) and a clang build each render the whole show from the same
# data; every frame must agree and the reference frames must match
# Tests/Golden. The clang build makes only the capture tool and the scene
# tests that pin exact values, and runs those tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset clang > /dev/null
cmake --build --preset clang -j"$(nproc)"
tests=(Test_Line_Part Test_Line_Part_2 Test_Attractor_1 Test_Tunnel)  # the clang build preset's tests
for t in "${tests[@]}"; do
  if ! SDL_VIDEODRIVER=dummy "build-clang/bin/$t" --gtest_brief=1 2> "build-clang/$t.log"; then
    cat "build-clang/$t.log"
    exit 1
  fi
done
bash Tools/golden.sh --check build build-asan build-clang
