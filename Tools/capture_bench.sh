#!/usr/bin/env bash
# Times whole-show captures to MP4 at 60 fps, each beside the encoder alone on
# the same frames and sound, and prints the time, the speed as a multiple of
# real time, the size, and the ratio of the capture to the encoder alone
# (near 1: the show renders beside the encoder, not in front of it).
#
#   Tools/capture_bench.sh                  default, --scale 2, --scale 3 --pad 16:9
#   Tools/capture_bench.sh --crf 20 ...     one configuration of your own
#
# The frames reach the encoder alone through a pipe, never through a file on
# disk (the whole show is 14 GB of raw frames). The load average is printed
# beside every figure: on a shared machine, compare figures of quiet runs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture encode_raw Data >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/capture_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

capture() { build/bin/capture --data build/data --quiet "$@"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
now() { date +%s.%N; }

capture --sound "$work/sound.wav"
rate=$(od -An -tu4 -j24 -N4 "$work/sound.wav" | tr -d ' ')  # the WAV header's sample rate
show=$(echo "scale=2; ($(stat -c %s "$work/sound.wav") - 44) / 4 / $rate" | bc)
echo "the show: $show s at 60 fps; load average $(load)"

bench() {
  echo "== ${*:-default settings}"
  local start end full size alone
  start=$(now)
  capture "$@" --out "$work/show.mp4"
  end=$(now)
  full=$(echo "$end - $start" | bc)
  size=$(stat -c %s "$work/show.mp4")
  printf 'capture:       %6.1f s  %5.2fx real time  %6.1f MB   (load %s)\n' \
    "$full" "$(echo "scale=3; $show / $full" | bc)" "$(echo "scale=1; $size / 1000000" | bc)" "$(load)"
  rm -f "$work/show.mp4"

  mkfifo "$work/frames.raw"
  capture --out "$work/frames.raw" &
  local line
  line=$(build/bin/encode_raw "$work/frames.raw" "$work/sound.wav" "$work/alone.mp4" "$@")
  wait
  rm -f "$work/frames.raw" "$work/alone.mp4"
  alone=$(echo "$line" | sed -E 's/.* in ([0-9.]+) s.*/\1/')
  printf 'encoder alone: %6.1f s  %5.2fx real time              (load %s)\n' \
    "$alone" "$(echo "scale=3; $show / $alone" | bc)" "$(load)"
  echo "  $line"
  echo "capture / encoder alone: $(echo "scale=3; $full / $alone" | bc)"
}

if [ $# -gt 0 ]; then
  bench "$@"
else
  bench
  bench --scale 2
  bench --scale 3 --pad 16:9
fi
