#!/usr/bin/env bash
# Times the whole show captured to H.264 MP4 at 60 fps, and the encoder alone
# on the same frames and sound, and prints both and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture encode_raw Data >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/capture_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

start=$(date +%s.%N)
build/bin/capture --data build/data --quiet --out "$work/show.mp4"
end=$(date +%s.%N)
full=$(echo "$end - $start" | bc)
echo "capture, render and encode: $full s"

build/bin/capture --data build/data --quiet --out "$work/frames.raw" --sound "$work/sound.wav"
line=$(build/bin/encode_raw "$work/frames.raw" "$work/sound.wav" "$work/alone.mp4")
echo "$line"
alone=$(echo "$line" | sed -E 's/.* in ([0-9.]+) s.*/\1/')
echo "ratio: $(echo "scale=3; $full / $alone" | bc)"
