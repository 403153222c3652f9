#!/usr/bin/env bash
# Installs the Debian packages the show, its tools and its tests need, if any
# is missing. Root installs directly; anyone else through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libopenmpt-dev libjpeg62-turbo-dev libpng-dev
  libfreetype-dev fonts-dejavu-core
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
  xmp sox xvfb xauth
  ffmpeg bc python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
run apt-get update -qq
run apt-get install -y -qq --no-install-recommends "${missing[@]}"
