#!/usr/bin/env bash
# Builds the libraries the browser build needs with Debian's emscripten from
# Debian's own source packages (apt-get source), at the versions Debian's
# archive offers, into a cache folder outside the work tree, and prints their
# install prefixes, one a line. A library is built once per version, compiler
# and recipe, and reused while those match; older builds are removed.
#
#   SDL2          libsdl2        static: window, keys and the sound card
#   libopenmpt    libopenmpt     static, with C++ exceptions caught (a bad
#                                module must fail, not abort the program)
#   libjpeg-turbo libjpeg-turbo  static, without SIMD (wasm has none of its kinds)
#   zlib, libpng  zlib, libpng1.6  static, for the tests' image writer only
#   GoogleTest    googletest     static, for the tests only (Debian's sources
#                                in /usr/src/googletest)
#
# Emscripten's ports cannot be used: Debian freezes its cache. Everything but
# the list of prefixes goes to stderr. Needs the packages Tools/web.sh installs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${ORVI_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvi-web}
toolchain=$here/Toolchain.cmake
jobs=${JOBS:-$(nproc)}
# Optimised links of configure checks need node's modules from Debian (acorn).
export NODE_PATH=/usr/share/nodejs
# emcc on Debian's Python: a version manager's shim costs every compiler run.
export EMSDK_PYTHON=${EMSDK_PYTHON:-/usr/bin/python3}
mkdir -p "$cache/src"

say() { echo "web deps: $*" >&2; }

# Source versions of a package in Debian's archive, newest first.
versions_of() {
  apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ {print $2}' |
    sort -u | sort -r -V
}

# Unpacks a Debian source package (Debian's patches applied) into $3.
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
  say "$name $version is not in the archive's sources, trying an older one"
  rm -rf "$work"
  return 1
}

cmake_web() { # src prefix options...
  local src=$1 prefix=$2
  shift 2
  cmake -S "$src" -B "$src/_build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DORVI_WEB_DEPS="$prefix_list" "$@" &&
  cmake --build "$src/_build" -j"$jobs" &&
  cmake --install "$src/_build"
}

build_sdl2() { # src prefix
  # SDL's own configuration for emscripten (include/SDL_config_emscripten.h:
  # no threads, the Web Audio and canvas drivers), plus the dummy video
  # driver the tests run on under node. Its CMake build would run some 200
  # configure checks, each a compile and a link through emcc: many minutes
  # for answers that header already holds. Every source of the subsystems
  # it enables is compiled; what a setting leaves out compiles to nothing.
  local src=$1 prefix=$2 dirs
  dirs=". atomic audio audio/dummy audio/disk audio/emscripten cpuinfo dynapi events file filesystem/emscripten
        haptic haptic/dummy hidapi joystick joystick/emscripten libm loadso/dlopen locale locale/emscripten misc
        misc/emscripten power power/emscripten render render/software render/opengles2 sensor sensor/dummy stdlib
        thread thread/generic timer timer/unix video video/dummy video/emscripten video/yuv2rgb"
  mkdir -p "$src/_build" "$prefix/lib" "$prefix/include/SDL2" "$prefix/lib/pkgconfig" &&
  (cd "$src/src" && for d in $dirs; do ls "$d"/*.c; done | sed 's|^\./||') |
    xargs -P "$jobs" -I{} sh -c 'emcc -O2 -w -DSDL_VIDEO_DRIVER_DUMMY=1 -I"$0/include" -c "$0/src/{}" \
                                   -o "$0/_build/$(echo {} | tr / _).o"' "$src" &&
  emar rcs "$prefix/lib/libSDL2.a" "$src"/_build/*.o &&
  cp "$src"/include/*.h "$prefix/include/SDL2/" &&
  local version
  version=$(awk '/#define SDL_(MAJOR_VERSION|MINOR_VERSION|PATCHLEVEL)/ {v = v (v ? "." : "") $3} END {print v}' \
            "$src/include/SDL_version.h") &&
  printf 'prefix=%s\nName: sdl2\nDescription: SDL2 for emscripten\nVersion: %s\nLibs: -L${prefix}/lib -lSDL2\nCflags: -I${prefix}/include -I${prefix}/include/SDL2\n' \
    "$prefix" "$version" > "$prefix/lib/pkgconfig/sdl2.pc"
}

build_libopenmpt() { # src prefix
  # The show plays XM only: none of the optional codecs, no player, no docs.
  # Its old config.sub knows no emscripten; the target triple is only a name.
  (cd "$1" && emconfigure ./configure --host=wasm32-unknown-none --prefix="$2" \
     CFLAGS="-O2 -sDISABLE_EXCEPTION_CATCHING=0" CXXFLAGS="-O2 -sDISABLE_EXCEPTION_CATCHING=0" \
     --disable-shared --enable-static --disable-openmpt123 --disable-examples --disable-tests \
     --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
     --without-vorbisfile --without-pulseaudio --without-portaudio --without-portaudiocpp \
     --without-sdl2 --without-sndfile --without-flac &&
   emmake make -j"$jobs" && emmake make install)
}

build_libjpeg_turbo() { # src prefix
  cmake_web "$1" "$2" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
}

build_zlib() { # src prefix
  # Its sources compiled as they are: Debian's copy lacks what its CMake
  # build wants for a shared library (win32/), and a static one needs none of it.
  mkdir -p "$1/_build" "$2/lib" "$2/include" &&
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    emcc -O2 -DHAVE_UNISTD_H -c "$1/$f.c" -o "$1/_build/$f.o" || return 1
  done &&
  emar rcs "$2/lib/libz.a" "$1"/_build/*.o &&
  cp "$1/zlib.h" "$1/zconf.h" "$2/include/" &&
  mkdir -p "$2/lib/pkgconfig" &&
  printf 'prefix=%s\nName: zlib\nDescription: zlib for emscripten\nVersion: 1.2\nLibs: -L${prefix}/lib -lz\nCflags: -I${prefix}/include\n' \
    "$2" > "$2/lib/pkgconfig/zlib.pc"
}

build_libpng() { # src prefix
  local zlib=${prefix_list%%;*}
  cmake_web "$1" "$2" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include"
}

build_googletest() { # src prefix
  cmake_web "$1" "$2" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
}

# A tag for the compiler, the toolchain file and a library's recipe: a change
# to any of them rebuilds that library, and only that one (a build of
# libopenmpt takes many minutes).
compiler=$(dpkg-query -W -f='${Version}' emscripten)
tag_of() { # recipe
  { echo "$compiler"; cat "$toolchain" "$here/node.sh"; declare -f cmake_web "$1"; } | sha256sum | cut -c1-10
}

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

# Prefixes provided so far, for recipes that build on earlier libraries.
prefix_list=""

# Builds (or finds) one library and prints its prefix.
provide() { # label source-package recipe
  local label=$1 package=$2 recipe=$3 version prefix src found="" tag
  tag=$(tag_of "$recipe")
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
    found=$prefix
  else
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
  fi
  if [ -z "$found" ]; then
    say "no source of $package could be fetched (is there a deb-src entry? Tools/web.sh adds one)"
    exit 1
  fi
  say "$label: $(basename "$found")"
  # Older builds of this library are of no further use.
  for old in "$cache/$label"-*; do
    [ "$old" = "$found" ] || [ ! -d "$old" ] || rm -rf "$old"
  done
  prefix_list="$found${prefix_list:+;$prefix_list}"
  echo "$found"
}

# Which ones: all, or those named (the order matters: libpng after zlib).
wanted=${*:-sdl2 libopenmpt libjpeg-turbo zlib libpng googletest}
for label in $wanted; do
  case $label in
    sdl2) provide sdl2 libsdl2 build_sdl2 ;;
    libopenmpt) provide libopenmpt libopenmpt build_libopenmpt ;;
    libjpeg-turbo) provide libjpeg-turbo libjpeg-turbo build_libjpeg_turbo ;;
    zlib) provide zlib zlib build_zlib ;;
    libpng) provide libpng libpng1.6 build_libpng ;;
    googletest) provide googletest googletest build_googletest ;;
    *) say "unknown library $label"; exit 2 ;;
  esac
done
