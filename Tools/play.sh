#!/usr/bin/env bash
# Builds the show with its data and plays it full screen from its data folder.
# Without a display it records the show to a video instead. Only what playing
# needs is installed and built: no tests, no benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/install-deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRYX_BUILD_TESTS=OFF -DRYX_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target demo capture Data
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "play: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set); recording the show to a video instead"
  build/bin/capture --data build/data -y --out build/show.mp4
  echo "play: the show is in $(pwd)/build/show.mp4"
  exit 0
fi
cd build/data
exec ../bin/demo "$@"
