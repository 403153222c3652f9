#!/usr/bin/env bash
# Makes the pictures the README shows: the contact sheet of the whole show
# (one thumbnail per order), a frame of each scene, and the timelines of
# flashes a second of the default and the calm picture, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture flash_check Data >/dev/null
mkdir -p docs
build/bin/capture --data build/data --quiet -y --sheet docs/sheet.png
for moment in "4:2 opening" "15:40 tunnel" "25:20 warp" "30:16 closing"; do
  build/bin/capture --data build/data --quiet -y --at "${moment%% *}" --out "docs/${moment##* }.png"
done
# docs/flashes.png and docs/flashes-calm.png, from one render.
build/bin/flash_check --data build/data --both --quiet --png docs/flashes.png
ls -l docs
