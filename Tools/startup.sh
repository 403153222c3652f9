#!/usr/bin/env bash
# Prints the show's start-up time (program start to the music's first frame,
# every picture loaded) and the peak memory of demo, run headless without sound.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target demo Data >/dev/null
cd build/data
SDL_VIDEODRIVER=dummy RYX_STARTUP_REPORT=1 ../bin/demo -n 2>/tmp/ryx_startup.$$ &
pid=$!
sleep 4
peak=$(awk '/VmHWM/ {print $2, $3}' /proc/$pid/status)
kill -TERM $pid
wait $pid || true
grep startup: /tmp/ryx_startup.$$ || echo "startup: no report (did the music load?)"
rm -f /tmp/ryx_startup.$$
echo "peak memory of demo: $peak"
