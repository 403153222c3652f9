#!/usr/bin/env bash
# Makes the pictures the README shows: the contact sheet of the whole show
# (one thumbnail per order) and a frame of each scene, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture Data >/dev/null
mkdir -p docs
build/bin/capture --data build/data --quiet -y --sheet docs/sheet.png
for moment in "4:2 opening" "15:40 tunnel" "25:20 warp" "30:16 closing"; do
  build/bin/capture --data build/data --quiet -y --at "${moment%% *}" --out "docs/${moment##* }.png"
done
ls -l docs
