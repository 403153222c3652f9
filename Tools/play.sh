#!/usr/bin/env bash
# Builds the show with its data and plays it from its data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build/data
exec ../bin/demo "$@"
