#!/usr/bin/env bash
# Thread-sanitizer run of the music and audio-layer tests: the audio thread
# and the main thread share the players' logs and the current channel.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DRYX_SANITIZE=thread -DRYX_BUILD_BENCH=OFF > /dev/null
cmake --build build-tsan -j"$(nproc)" --target Test_Music Test_Music_Audio
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy \
  ctest --test-dir build-tsan --output-on-failure -R '^(Music|Scripted|Offline|Audio_[A-Za-z_]+)\.'
