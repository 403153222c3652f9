#!/usr/bin/env bash
# Prints the show's start-up time (program start to the music's first frame,
# every picture loaded) and the peak memory of demo, run headless without sound.
# The time comes from a probe preloaded into the unchanged program
# (Tools/Startup), which takes the platform's play call.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target demo startup_probe Data >/dev/null
cd build/data
SDL_VIDEODRIVER=dummy LD_PRELOAD="$PWD/../bin/libstartup_probe.so" ../bin/demo -n 2>/tmp/ryx_startup.$$ &
pid=$!
sleep 4
peak=$(awk '/VmHWM/ {print $2, $3}' /proc/$pid/status)
kill -TERM $pid
wait $pid || true
grep startup: /tmp/ryx_startup.$$ || echo "startup: no report (did the music load?)"
rm -f /tmp/ryx_startup.$$
echo "peak memory of demo: $peak"
