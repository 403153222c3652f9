#!/usr/bin/env bash
# Builds everything and runs every test: the release build, then the
# address/undefined-behaviour sanitizer build, then the extra checks in
# Tools/ci.d/ (thread sanitizer, fuzzing, data checks), in name order.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/install-deps.sh
bash Tools/versions.sh

jobs=$(nproc)
# Tests and benchmarks on, whatever an earlier Tools/play.sh left in the cache.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRYX_BUILD_TESTS=ON -DRYX_BUILD_BENCH=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DRYX_SANITIZE=address -DRYX_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

for step in Tools/ci.d/*.sh; do
  [ -e "$step" ] || continue
  echo "== $step"
  bash "$step"
done
echo "all tests passed"
