#!/usr/bin/env bash
# Regenerates Tests/Golden/frames.txt, the reference hashes of chosen frames of
# the show (release build, 60 frames a second). Run it only when a change is
# meant to alter the picture, and say why in the commit.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture Data >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
build/bin/capture --data build/data --fps 60 --quiet --log "$log"

# order:row of the first frame to keep, and what it shows.
moments=(
  "0:7 opening figure on a beat"
  "4:2 first text overlay"
  "8:20 figure spinning up, light bar"
  "11:4 tunnel beat"
  "15:40 steered tunnel"
  "20:10 tunnel fade band"
  "22:37 attractor zoom cue"
  "25:20 glitch layer"
  "29:40 melt"
  "30:0 drum section kick"
  "32:12 closing stutter image"
  "34:8 outro flicker"
)
{
  echo "# frame hash  (order:row, what it shows) -- made by Tools/golden.sh at 60 fps"
  for m in "${moments[@]}"; do
    pos=${m%% *}; what=${m#* }
    order=${pos%%:*}; row=${pos##*:}
    awk -v o="$order" -v r="$row" -v w="$what" -v p="$pos" \
      '$2==o && $3==r { print $1, $4, " #", p, w; exit }' "$log"
  done
} > Tests/Golden/frames.txt
cat Tests/Golden/frames.txt
