#!/usr/bin/env bash
# What Asyncify costs the browser build, with and without a list of the
# functions that may yield: links demo and show_frames again from the web
# build's objects with every function instrumented (as built), with only
# those of Tools/Web/Asyncify_Only.json, and (show_frames only, as the
# baseline: it never yields) without Asyncify; prints demo.wasm's size and
# show_frames' update and render time a frame per scene under node.
#
# The list holds the functions seen on the stack at every yield of a played
# show, a damaged picture's box and a damaged module's box
# (Tests/Web/Page/asyncify_stacks.mjs on a --profiling-funcs link), and those
# that the optimiser inlined there. A yield from any other stack would break
# a program linked with it, which is why the build does not use it; and as
# it stands the program linked with it does not start in the page (neither
# its first frame nor a box comes), so its figures bound what a complete
# list could save, no more.
#   bash Tools/Web/asyncify_cost.sh [BUILD_WEB_DIR]
# VARIANTS="all list none" picks; ASYNCIFY_KEEP=DIR keeps each demo there.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(cd "${1:-build-web}" && pwd)
list=$PWD/Tools/Web/Asyncify_Only.json
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

relink() { # folder link.txt variant
  local dir=$1 link=$2 variant=$3 cmd
  cmd=$(cat "$link")
  case $variant in
    list) cmd=${cmd/-sASYNCIFY /-sASYNCIFY \"-sASYNCIFY_ONLY=@$list\" } ;;
    none) cmd=${cmd/-sASYNCIFY /} ;;
  esac
  mkdir -p "$work/$variant"
  cmd=$(echo "$cmd" | sed -E "s# -o [^ ]+\.js # -o $work/$variant/$(basename "$(dirname "$link")" .dir).js #")
  (cd "$dir" && eval "$cmd") >"$work/$variant.log" 2>&1 || { tail -5 "$work/$variant.log"; return 1; }
}

scene_ms() { # show_frames.js
  Tools/Web/node.sh "$1" "$PWD/build/data" /dev/null --time | awk '
    function scene(order) { return order < 10 ? "opening" : order < 22 ? "tunnel" : order < 30 ? "warp" : "closing" }
    /ms a frame/ { match($0, /order +[0-9]+/); s = scene(substr($0, RSTART + 6) + 0); n[s]++; v[s, n[s]] = $(NF - 3) }
    END {
      split("opening tunnel warp closing", names, " ")
      for (k = 1; k <= 4; ++k) {
        s = names[k]; m = n[s]
        for (i = 2; i <= m; ++i) for (j = i; j > 1 && v[s, j - 1] > v[s, j]; --j) { t = v[s, j]; v[s, j] = v[s, j - 1]; v[s, j - 1] = t }
        printf " %s %.3f", s, m % 2 ? v[s, (m + 1) / 2] : (v[s, m / 2] + v[s, m / 2 + 1]) / 2
      }
    }'
}

# Every link first, then the timings back to back, so that the machine's
# load moves them alike.
variants=${VARIANTS:-all list none}
for variant in $variants; do
  if [ $variant != none ]; then
    relink "$out/cmake/Code" "$out/cmake/Code/CMakeFiles/demo.dir/link.txt" $variant
    wasm=$work/$variant/demo.wasm
    echo "asyncify $variant: demo.wasm $(stat -c %s "$wasm") bytes ($(gzip -9 -c "$wasm" | wc -c) gzipped)"
    [ -z "${ASYNCIFY_KEEP:-}" ] || { mkdir -p "$ASYNCIFY_KEEP/$variant"; cp "$work/$variant"/demo.* "$ASYNCIFY_KEEP/$variant/"; }
  fi
  relink "$out/cmake/Tools/Web" "$out/cmake/Tools/Web/CMakeFiles/show_frames.dir/link.txt" $variant
done
for variant in $variants; do
  echo "asyncify $variant: update and render, median ms a frame:$(scene_ms "$work/$variant/show_frames.js")"
done
