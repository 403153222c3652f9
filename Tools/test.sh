#!/usr/bin/env bash
# Builds everything and runs every test: the release build, then the
# address/undefined-behaviour sanitizer build, then the extra checks in
# Tools/ci.d/ (thread sanitizer, fuzzing, data checks), in name order.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/install-deps.sh
bash Tools/versions.sh

jobs=$(nproc)
# build/ and build-asan/, as CMakePresets.json configures them: tests and
# benchmarks on in build/, whatever an earlier Tools/play.sh left in its cache.
for preset in release asan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done

for step in Tools/ci.d/*.sh; do
  [ -e "$step" ] || continue
  echo "== $step"
  bash "$step"
done
echo "all tests passed"
