#!/usr/bin/env bash
# The reference frames: Tests/Golden/frames.txt holds the hashes of chosen
# frames of the show at 60 frames a second, drawn from the pictures and the
# module of build/data.
#
#   Tools/golden.sh                regenerates frames.txt with the release build;
#                                  run it only when a change is meant to alter
#                                  the picture, and say why in the commit
#   Tools/golden.sh --check DIR... renders the whole show with the capture tool
#                                  of each build folder, from the same data, and
#                                  fails unless every frame agrees between them
#                                  and the chosen frames match frames.txt
set -euo pipefail
cd "$(dirname "$0")/.."
golden=Tests/Golden/frames.txt

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

# render BUILD LOG: a line per frame (index, order, row, hash, brightness).
render() {
  "$1/bin/capture" --data build/data --fps 60 --quiet --log "$2"
}

# chosen LOG: the reference frames of a log, in the form of frames.txt.
chosen() {
  echo "# frame hash  (order:row, what it shows) -- made by Tools/golden.sh at 60 fps"
  for m in "${moments[@]}"; do
    pos=${m%% *}; what=${m#* }
    order=${pos%%:*}; row=${pos##*:}
    awk -v o="$order" -v r="$row" -v w="$what" -v p="$pos" \
      '$2==o && $3==r { print $1, $4, " #", p, w; exit }' "$1"
  done
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" != "--check" ]; then
  cmake --build build -j"$(nproc)" --target capture Data >/dev/null
  render build "$work/log"
  chosen "$work/log" > "$golden"
  cat "$golden"
  exit 0
fi

shift
[ $# -gt 0 ] || { echo "usage: Tools/golden.sh --check BUILD_DIR..." >&2; exit 2; }
failed=0
first=""
n=0
for dir in "$@"; do
  n=$((n + 1))
  log="$work/$n.log"
  echo "rendering the show with $dir"
  render "$dir" "$log"
  if [ -n "$first" ] && ! cmp -s "$first" "$log"; then
    at=$(awk 'NR == FNR { a[FNR] = $0; next } $0 != a[FNR] { print FNR; found = 1; exit }
              END { if (!found) print FNR + 1 }' "$first" "$log")
    echo "$dir draws other frames than $1, from (index order row hash brightness):"
    echo "  $1: $(sed -n "${at}p" "$first")"
    echo "  $dir: $(sed -n "${at}p" "$log")"
    failed=1
  fi
  [ -n "$first" ] || first=$log
  if ! diff -u "$golden" <(chosen "$log"); then
    echo "$dir does not draw the reference frames of $golden"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "every frame the same in: $*"
exit "$failed"
