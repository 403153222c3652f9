#!/usr/bin/env bash
# The Windows build, made and tested on Debian: installs what it needs,
# builds SDL2, libopenmpt and libjpeg-turbo for Windows from Debian's source
# packages (once, into a cache outside the work tree), cross-compiles the show
# with MinGW-w64 into build-windows/, packs build-windows/orvi-windows-x64.zip
# and runs the Windows tests under Wine.
#   bash Tools/windows.sh            everything
#   bash Tools/windows.sh --no-test  build and pack only
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
run_tests=1
[ "${1:-}" = "--no-test" ] && run_tests=0
jobs=$(nproc)
out=build-windows
step() { echo "== windows: $* ($((SECONDS - start)) s)"; }

# --- what the build needs ------------------------------------------------------
bash Tools/install-deps.sh  # the build machine's tools paint and compose the data
packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nasm dpkg-dev zip
          wine64 xvfb xauth xdotool x11-utils x11-apps)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# Debian's sources of the machine's own archive, for apt-get source.
if ! apt-cache showsrc --only-source libsdl2 2>/dev/null | grep -q '^Version:'; then
  step "adding a deb-src entry for the machine's Debian archive"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      as_root tee /etc/apt/sources.list.d/orvi-deb-src.sources >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/orvi-deb-src.list >/dev/null
  fi
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  step "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- libraries for Windows, from Debian's sources --------------------------------
step "libraries for Windows"
deps=$(JOBS=$jobs bash Tools/Windows/deps.sh | paste -sd ';')

# --- the data, painted and composed on this machine --------------------------------
step "the show's data"
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs" --target Data

# --- the show for Windows -----------------------------------------------------------
step "cross-compiling"
# Libraries of other versions: what the build folder found of the old ones is stale.
if [ -f "$out/CMakeCache.txt" ] && ! grep -qxF "ORVI_WINDOWS_DEPS:UNINITIALIZED=$deps" "$out/CMakeCache.txt"; then
  rm -rf "$out"
fi
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$PWD/Tools/Windows/Toolchain.cmake" -DORVI_WINDOWS_DEPS="$deps" \
      -DCMAKE_BUILD_TYPE=Release -DRYX_BUILD_BENCH=OFF \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/Tools/Windows/wine.sh" >/dev/null
cmake --build "$out" -j"$jobs"

# What the programs load beside them: SDL2, libopenmpt and the compiler's runtime.
runtime=()
shopt -s nullglob
for prefix in ${deps//;/ }; do
  runtime+=("$prefix"/bin/*.dll)
done
shopt -u nullglob
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  runtime+=("$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")
done
cp -u "${runtime[@]}" "$out/bin/"
mkdir -p "$out/data"
cp -ru build/data/. "$out/data/"

# --- the release: the program beside its files, as Windows users expect -------------
step "packing"
pack=$out/orvi-windows-x64
rm -rf "$pack" "$out/orvi-windows-x64.zip"
mkdir -p "$pack"
cp "$out"/bin/{demo.exe,Lib.dll,Platform.dll,Rasterizer.dll} "${runtime[@]}" "$pack/"
x86_64-w64-mingw32-strip --strip-unneeded "$pack"/*.exe "$pack"/*.dll
cp -r "$out/data/tekno.xm" "$out/data/texture" "$out/data/tekstit" "$pack/"
version=$(sed -n 's/^project(Orvi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
warning=$(fold -s -w 76 Tools/Release/Flash_Warning.txt | sed 's/ *$//')
sed "s/@VERSION@/$version/" Tools/Windows/README.txt |
  WARNING=$warning awk '$0 == "@FLASH_WARNING@" { print ENVIRON["WARNING"]; next } 1' | sed 's/$/\r/' > "$pack/README.txt"
cp Tools/Windows/calm.cmd "$pack/"
sed 's/$/\r/' LICENSE > "$pack/LICENSE.txt"
(cd "$out" && zip -qr -X orvi-windows-x64.zip orvi-windows-x64)
echo "windows: $out/orvi-windows-x64.zip ($(du -h "$out/orvi-windows-x64.zip" | cut -f1))"

if [ "$run_tests" -eq 1 ]; then
  step "tests under Wine"
  bash Tools/Windows/wine_tests.sh "$out"
fi
step "done"
