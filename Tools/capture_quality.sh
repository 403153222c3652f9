#!/usr/bin/env bash
# How close the default video comes to the lossless one where it matters
# most: the 1,500-line frames of orders 30 to 33 and the tunnel of orders 11
# to 14. For each part, captures a lossless reference (FFV1) and the same part
# with the given options (none: the default), pairs their frames by index and
# prints the video's bit rate, the PSNR over all frames (from their mean
# squared error over R, G and B), the worst frame's PSNR, and FFmpeg's SSIM.
# --crf 0 gives the ceiling of 4:2:0 H.264: what halving the colour
# resolution alone costs.
#
#   Tools/capture_quality.sh                 the default settings
#   Tools/capture_quality.sh --crf 18 ...    other settings
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" --target capture Data >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/capture_quality.XXXXXX")
trap 'rm -rf "$work"' EXIT

capture() { build/bin/capture --data build/data --quiet "$@"; }
raw="-f rawvideo -pix_fmt gbrp -s 640x480 -framerate 60"

for part in "lines 30:0 34:0" "tunnel 11:0 15:0"; do
  read -r name from to <<<"$part"
  capture --from "$from" --to "$to" --out "$work/$name.mkv"
  capture --from "$from" --to "$to" --out "$work/$name.mp4" "$@"
  # Both decoded to planar RGB; the video through the matrix it is tagged with.
  ffmpeg -v error -i "$work/$name.mkv" -f rawvideo -pix_fmt gbrp "$work/reference.raw"
  ffmpeg -v error -i "$work/$name.mp4" -vf "scale=in_color_matrix=bt709:in_range=tv" \
    -f rawvideo -pix_fmt gbrp "$work/video.raw"
  ssim=$(ffmpeg $raw -i "$work/video.raw" $raw -i "$work/reference.raw" \
    -lavfi "[0:v]split[a][b];[1:v]split[c][d];[a][c]psnr=stats_file=$work/psnr.txt;[b][d]ssim" \
    -f null - 2>&1 | grep -oE "All:[0-9.]+" | cut -d: -f2)
  rate=$(ffprobe -v error -select_streams v -show_entries stream=bit_rate -of csv=p=0 "$work/$name.mp4")
  awk -v name="$name" -v from="$from" -v to="$to" -v rate="$rate" -v ssim="$ssim" '
    { split($2, e, ":"); split($6, f, ":"); mse += e[2]; v = f[2]; if (NR == 1 || v < worst) worst = v }
    END { printf "%-6s %s to %s: %4d kbit/s, PSNR %.2f dB (worst frame %.2f dB), SSIM %s, %d frames\n",
          name, from, to, rate / 1000, 10 * log(65025 / (mse / NR)) / log(10), worst, ssim, NR }' "$work/psnr.txt"
  rm -f "$work"/*.raw "$work/psnr.txt"
done
