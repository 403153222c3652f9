#!/usr/bin/env bash
# Prints, in one line each, the versions of what the tests' results depend on:
# the sanitizer runs on Mesa and SDL2 (the drivers the display loads), the
# golden frames on glibc's maths, FreeType, libjpeg-turbo and the compilers,
# the sound on libopenmpt. Debian's package versions where dpkg knows them,
# else what pkg-config and the tools say.
set -uo pipefail

package() {  # the installed version of the first Debian package found
  local p v
  command -v dpkg-query >/dev/null || return 1
  for p in "$@"; do
    v=$(dpkg-query -W -f='${Version}' "$p" 2>/dev/null) && [ -n "$v" ] && { echo "$v"; return 0; }
  done
  return 1
}
module() { pkg-config --modversion "$1" 2>/dev/null; }
show() { printf '  %-14s %s\n' "$1" "${2:-not found}"; }

echo "versions the results depend on:"
show Mesa "$(package libgl1-mesa-dri || echo none)"
show SDL2 "$(package libsdl2-2.0-0 || module sdl2)"
show libopenmpt "$(package libopenmpt0 || module libopenmpt)"
show libjpeg-turbo "$(package libjpeg62-turbo || module libjpeg)"
show FreeType "$(package libfreetype6 || module freetype2)"
show glibc "$(package libc6 || ldd --version 2>/dev/null | head -n 1)"
show g++ "$(g++ -dumpfullversion 2>/dev/null) $(package g++-12 | sed 's/^/(/; s/$/)/')"
show clang "$(clang --version 2>/dev/null | head -n 1)"
