#!/usr/bin/env bash
# Thread-sanitizer run of the music and audio-layer tests: the audio thread
# and the main thread share the players' logs and the current channel.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset tsan > /dev/null
cmake --build --preset tsan -j"$(nproc)"
ctest --preset tsan
