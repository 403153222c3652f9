#!/usr/bin/env bash
# Installs the Debian packages the show needs, if any is missing. Root installs
# directly; anyone else through sudo.
#   bash Tools/install-deps.sh play   what building and playing the show needs
#                                     (Tools/play.sh); no apt at all when
#                                     pkg-config already finds every library
#   bash Tools/install-deps.sh        everything: the show, its tests, fuzzing,
#                                     benchmarks and the music's checks
#                                     (Tools/test.sh)
# Off Debian, a missing dependency stops it with one line naming what is needed.
set -euo pipefail

# Building and playing: the compiler, cmake, and the libraries of the build,
# which pkg-config knows by these names.
build_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libx11-dev libopenmpt-dev libjpeg62-turbo-dev libpng-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-dejavu-extra
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
)
build_modules=(
  sdl2 x11 libopenmpt libjpeg libpng freetype2 fontconfig
  libavformat libavcodec libswscale libswresample libavutil
)
# The tests, the sanitizer and fuzzing runs, the benchmarks, the music's checks,
# the live program's tests under X and the release check.
test_packages=(
  git libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev valgrind
  xmp sox xvfb xauth xdotool libebur128-dev
  ffmpeg bc python3 man-db desktop-file-utils
)

case "${1:-all}" in
  play) packages=("${build_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [play]" >&2; exit 2 ;;
esac

# The painter's three faces, as fontconfig finds them (its fc-list, where
# installed), else in the usual folders.
have_fonts() {
  local face dir found
  for face in DejaVuSans-Bold DejaVuSansCondensed-Bold DejaVuSansMono-Bold; do
    if command -v fc-list >/dev/null; then
      [ -n "$(fc-list ":postscriptname=$face" file)" ] || return 1
      continue
    fi
    found=0
    for dir in /usr/share/fonts/truetype/dejavu /usr/share/fonts/dejavu /usr/local/share/fonts/truetype/dejavu; do
      [ -e "$dir/$face.ttf" ] && found=1
    done
    [ $found -eq 1 ] || return 1
  done
}

# What building needs that is not there: pkg-config modules, and the rest.
missing_modules=() missing_tools=()
find_missing() {
  local m
  missing_modules=() missing_tools=()
  command -v cmake >/dev/null || missing_tools+=("cmake (3.20 or later)")
  command -v c++ >/dev/null || missing_tools+=("a C++20 compiler")
  command -v pkg-config >/dev/null || missing_tools+=("pkg-config")
  for m in "${build_modules[@]}"; do
    command -v pkg-config >/dev/null && pkg-config --exists "$m" || missing_modules+=("$m")
  done
  have_fonts || missing_tools+=("the DejaVu fonts (Sans Bold, Sans Condensed Bold, Sans Mono Bold)")
}

find_missing
if [ "${1:-all}" = play ] && [ ${#missing_modules[@]} -eq 0 ] && [ ${#missing_tools[@]} -eq 0 ]; then
  exit 0
fi

if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
  if [ ${#missing_modules[@]} -gt 0 ] || [ ${#missing_tools[@]} -gt 0 ]; then
    needs=()
    [ ${#missing_modules[@]} -gt 0 ] && needs+=("the pkg-config modules ${missing_modules[*]}")
    needs+=("${missing_tools[@]}")
    echo "install-deps: not a Debian system; install with its own packages: $(printf '%s; ' "${needs[@]}" | sed 's/; $//')" >&2
    exit 1
  fi
  [ "${1:-all}" = play ] || echo "install-deps: not a Debian system; the tests also need: ${test_packages[*]} (Debian names)" >&2
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
run apt-get update
run apt-get install -y --no-install-recommends "${missing[@]}"
