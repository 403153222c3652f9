#!/usr/bin/env bash
# Every frame of the show as the browser build draws it (show_frames under
# node) against the native capture tool's log of the same show at 60 frames a
# second: fails on any difference, naming the first frame that differs and
# counting them all. With --calm, the calm show's frames (the calm stage
# after each frame) against capture --calm's; skipped, and said so, while the
# capture tool has no --calm.
#   bash Tools/Web/same_frames.sh [BUILD_WEB_DIR] [--calm]
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build-web
calm=()
for arg in "$@"; do
  case $arg in
    --calm) calm=(--calm) ;;
    *) out=$arg ;;
  esac
done
what="the show"
if [ ${#calm[@]} -gt 0 ]; then
  what="the calm show"
  if ! build/bin/capture --help 2>&1 | grep -q -- --calm; then
    echo "same frames: skipped for the calm show: this capture tool has no --calm"
    exit 0
  fi
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/bin/capture --data build/data --fps 60 --quiet "${calm[@]}" --log "$work/native.log"
Tools/Web/node.sh "$out/cmake/bin/show_frames.js" "$PWD/build/data" "$work/web.log" "${calm[@]}" >/dev/null
frames=$(wc -l < "$work/native.log")
differ=$(awk 'NR == FNR { a[$1] = $0; next } a[$1] != $0 { n++ } END { print n + 0 }' "$work/native.log" "$work/web.log")
if [ "$(wc -l < "$work/web.log")" -ne "$frames" ] || [ "$differ" -ne 0 ]; then
  first=$(awk 'NR == FNR { a[FNR] = $0; next } $0 != a[FNR] { print FNR; exit }' "$work/native.log" "$work/web.log")
  echo "same frames: the browser build draws $differ of $frames frames of $what otherwise (index order row hash brightness):"
  echo "  native:  $(sed -n "${first:-1}p" "$work/native.log")"
  echo "  browser: $(sed -n "${first:-1}p" "$work/web.log")"
  exit 1
fi
echo "same frames: all $frames frames of $what the same in the browser build"
