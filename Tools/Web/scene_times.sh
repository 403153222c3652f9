#!/usr/bin/env bash
# Update and render time a frame, each scene, in the browser build's
# WebAssembly (under node) beside the native build, from the same program
# (show_frames --time: blocks of 600 frames of the whole show on the virtual
# clock, wall time, since a browser's clock is coarse) in one run. Prints the
# median block of each scene and the ratio; the machine's load moves both.
#   bash Tools/Web/scene_times.sh [BUILD_WEB_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build-web}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --build build --target show_frames >/dev/null
build/bin/show_frames build/data /dev/null --time > "$work/native"
Tools/Web/node.sh "$out/cmake/bin/show_frames.js" "$PWD/build/data" /dev/null --time > "$work/web"
# A block belongs to the scene of the order it starts in.
awk '
  function scene(order) { return order < 10 ? "opening" : order < 22 ? "tunnel" : order < 30 ? "warp" : "closing" }
  function median(list, n,    i, j, t) {
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && list[j - 1] > list[j]; --j) { t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
    return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
  }
  /ms a frame/ {
    match($0, /order +[0-9]+/); order = substr($0, RSTART + 6) + 0
    s = scene(order); ms = $(NF - 3)
    if (FILENAME == ARGV[1]) { nn[s]++; native[s, nn[s]] = ms } else { nw[s]++; wasm[s, nw[s]] = ms }
  }
  END {
    printf "%-8s %7s %14s %14s %6s\n", "scene", "blocks", "native ms", "wasm ms", "ratio"
    split("opening tunnel warp closing", names, " ")
    for (k = 1; k <= 4; ++k) {
      s = names[k]; delete a; delete b
      for (i = 1; i <= nn[s]; ++i) a[i] = native[s, i]
      for (i = 1; i <= nw[s]; ++i) b[i] = wasm[s, i]
      mn = median(a, nn[s]); mw = median(b, nw[s])
      printf "%-8s %7d %14.3f %14.3f %6.2f\n", s, nn[s], mn, mw, mw / mn
    }
  }' "$work/native" "$work/web"
