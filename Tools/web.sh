#!/usr/bin/env bash
# The browser build, made and tested on Debian: installs what it needs,
# builds SDL2, libopenmpt and libjpeg-turbo with emscripten from Debian's
# source packages (once, into a cache outside the work tree), builds the show
# for WebAssembly into build-web/ (a static folder: index.html, the script,
# the .wasm, the packed data, an icon) and build-web/orvi-web.zip, then checks
# its frames under node and runs the page's tests in headless Chromium.
#   bash Tools/web.sh            everything
#   bash Tools/web.sh --no-test  build and pack only
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
run_tests=1
[ "${1:-}" = "--no-test" ] && run_tests=0
jobs=$(nproc)
out=build-web
step() { echo "== web: $* ($((SECONDS - start)) s)"; }
# emcc's optimising link runs JavaScript tools that need Debian's node modules.
export NODE_PATH=/usr/share/nodejs

# --- what the build needs ------------------------------------------------------
bash Tools/install-deps.sh  # the build machine's tools paint and compose the data
packages=(emscripten binaryen chromium dpkg-dev zip pkg-config)
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

# --- libraries for the browser, from Debian's sources ------------------------------
step "libraries for the browser"
deps=$(JOBS=$jobs bash Tools/Web/deps.sh | paste -sd ';')
