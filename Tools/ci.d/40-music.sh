#!/usr/bin/env bash
# The show's music: renders tekno.xm with libopenmpt and xmp and checks the
# cue rows by onset detection, the silences, the loudness, true peak, balance
# and width, and draws its spectrograms (build/tekno-spectrogram.png and its
# -drop and -groove close-ups) for a person to look at.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build -j"$(nproc)" --target tekno_xm music_check
./build/bin/music_check build/data/tekno.xm --png build/tekno-spectrogram.png
