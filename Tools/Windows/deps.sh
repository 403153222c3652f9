#!/usr/bin/env bash
# Builds the libraries the Windows build needs from Debian's own source
# packages (apt-get source), at the versions Debian's archive offers, into a
# cache folder outside the work tree, and prints their install prefixes, one a
# line. A library is built once per version, compiler and recipe, and reused
# while those match; older builds are removed.
#
#   SDL2          libsdl2        shared (SDL2.dll), ships with the show
#   libopenmpt    libopenmpt     shared (libopenmpt-0.dll), ships with the show
#   libjpeg-turbo libjpeg-turbo  static, linked into demo.exe
#   libpng        libpng1.6      static, for the tests' image writer only
#   GoogleTest    googletest     static, for the tests only (Debian's sources
#                                in /usr/src/googletest)
#
# Everything but the list of prefixes goes to stderr. Needs the packages
# Tools/windows.sh installs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${ORVI_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvi-windows}
toolchain=$here/Toolchain.cmake
jobs=${JOBS:-$(nproc)}
host=x86_64-w64-mingw32
mkdir -p "$cache/src"

say() { echo "windows deps: $*" >&2; }

# Source versions of a package in Debian's archive, newest first.
versions_of() {
  apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ {print $2}' |
    sort -u | sort -r -V
}

# Unpacks a Debian source package (Debian's patches applied) into $2.
fetch() {
  local name=$1 version=$2 out=$3 work
  work=$(mktemp -d "$cache/src/fetch.XXXXXX")
  if (cd "$work" && apt-get source -qq "$name=$version" >/dev/null 2>"$work/log"); then
    local dir
    dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    rm -rf "$out"
    mv "$dir" "$out"
    rm -rf "$work"
    return 0
  fi
  local why
  why=$(grep -m1 -oE '[0-9]{3} +[A-Za-z ]*[A-Za-z]' "$work/log" | tr -s ' ' || true)
  say "$name $version is not in the archive's sources (${why:-apt-get source failed}), trying an older one"
  rm -rf "$work"
  return 1
}

build_sdl2() { # src prefix
  cmake -S "$1" -B "$1/_build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$2" \
    -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_VULKAN=OFF &&
  cmake --build "$1/_build" -j"$jobs" &&
  cmake --install "$1/_build" --strip
}

build_libopenmpt() { # src prefix
  # The show plays XM only: none of the optional codecs, no player, no docs.
  (cd "$1" && ./configure --host=$host --prefix="$2" CC=$host-gcc-posix CXX=$host-g++-posix \
     --enable-shared --disable-static --disable-openmpt123 --disable-examples --disable-tests \
     --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
     --without-vorbisfile --without-pulseaudio --without-portaudio --without-portaudiocpp \
     --without-sdl2 --without-sndfile --without-flac &&
   make -j"$jobs" && make install-strip)
}

build_libjpeg_turbo() { # src prefix
  cmake -S "$1" -B "$1/_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$2" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DREQUIRE_SIMD=ON &&
  cmake --build "$1/_build" -j"$jobs" &&
  cmake --install "$1/_build"
}

build_libpng() { # src prefix
  cmake -S "$1" -B "$1/_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$2" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY=/usr/$host/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$host/include &&
  cmake --build "$1/_build" -j"$jobs" &&
  cmake --install "$1/_build"
}

build_googletest() { # src prefix
  cmake -S "$1" -B "$1/_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$2" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON &&
  cmake --build "$1/_build" -j"$jobs" &&
  cmake --install "$1/_build"
}

# One tag for the compiler, the toolchain file and the recipes above: a change
# to any of them rebuilds.
compiler=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
tag=$( { echo "$compiler"; cat "$toolchain"; declare -f build_sdl2 build_libopenmpt build_libjpeg_turbo \
         build_libpng build_googletest; } | sha256sum | cut -c1-10)

# The build's output goes to a log, shown in part when it fails.
run_recipe() { # label recipe src prefix
  local log=$cache/$1.log start=$SECONDS
  if ! "$2" "$3" "$4" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    say "building $1 failed; the whole log is $log"
    exit 1
  fi
  rm -rf "$3"
  touch "$4/.complete"
  say "built $1 in $((SECONDS - start)) s"
}

# Builds (or finds) one library and prints its prefix.
provide() { # label source-package recipe
  local label=$1 package=$2 recipe=$3 version prefix src
  if [ "$package" = googletest ]; then
    # Debian ships GoogleTest as sources; the installed package is the version.
    version=$(dpkg-query -W -f='${Version}' googletest)
    prefix=$cache/$label-$version-$tag
    if [ ! -e "$prefix/.complete" ]; then
      say "building $label $version"
      src=$cache/src/$label
      rm -rf "$src" "$prefix"
      cp -a /usr/src/googletest "$src"
      run_recipe "$label" "$recipe" "$src" "$prefix"
    fi
  else
    local found=""
    for version in $(versions_of "$package"); do
      prefix=$cache/$label-${version//:/_}-$tag
      if [ -e "$prefix/.complete" ]; then
        found=$prefix
        break
      fi
      src=$cache/src/$label
      fetch "$package" "$version" "$src" || continue
      say "building $label $version"
      rm -rf "$prefix"
      run_recipe "$label" "$recipe" "$src" "$prefix"
      found=$prefix
      break
    done
    if [ -z "$found" ]; then
      say "no source of $package could be fetched (is there a deb-src entry? Tools/windows.sh adds one)"
      exit 1
    fi
    prefix=$found
  fi
  say "$label: $(basename "$prefix")"
  # Older builds of this library are of no further use.
  for old in "$cache/$label"-*; do
    [ "$old" = "$prefix" ] || [ ! -d "$old" ] || rm -rf "$old"
  done
  echo "$prefix"
}

provide sdl2 libsdl2 build_sdl2
provide libopenmpt libopenmpt build_libopenmpt
provide libjpeg-turbo libjpeg-turbo build_libjpeg_turbo
provide libpng libpng1.6 build_libpng
provide googletest googletest build_googletest
