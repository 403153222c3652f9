#!/usr/bin/env bash
# The browser build, made and tested on Debian: installs what it needs,
# builds SDL2, libopenmpt and libjpeg-turbo with emscripten from Debian's
# source packages (once, into a cache outside the work tree), builds the show
# for WebAssembly into build-web/ (a static folder: index.html, the script,
# the .wasm, the packed data, an icon) and build-web/orvi-web.zip, then checks
# its frames under node and runs the page's tests in headless Chromium, and a
# smoke test in headless Firefox.
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
# emcc's optimising link runs JavaScript tools that need Debian's node modules;
# emcc itself runs on Debian's Python (not a version manager's shim, which
# costs every one of the thousands of compiler runs of the libraries' checks).
export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3

# --- what the build needs ------------------------------------------------------
bash Tools/install-deps.sh  # the build machine's tools paint and compose the data
packages=(emscripten binaryen chromium firefox-esr dpkg-dev zip pkg-config)
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

# --- the show's data, painted and composed on this machine ------------------------
step "the show's data"
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs" --target Data Icons capture

# --- the show for the browser ---------------------------------------------------------
step "building for the browser"
export ORVI_WEB_DEPS=$deps
# Libraries of other versions: what the build folder found of the old ones is stale.
if [ -f "$out/cmake/CMakeCache.txt" ] && ! grep -qxF "ORVI_WEB_DEPS:UNINITIALIZED=$deps" "$out/cmake/CMakeCache.txt"; then
  rm -rf "$out"
fi
cmake --preset web -Wno-dev >/dev/null
cmake --build --preset web -j"$jobs"
# The tests under node read the data where a build keeps it.
mkdir -p "$out/cmake/data"
cp -ru build/data/. "$out/cmake/data/"

# --- the release: the site's files in a folder of their own -------------------------
step "packing"
site=(index.html page.js page.css demo.js demo.wasm demo.data icon.png)
pack=$out/orvi-web
rm -rf "$pack" "$out/orvi-web.zip"
mkdir -p "$pack"
for f in "${site[@]}"; do cp "$out/$f" "$pack/"; done
cp LICENSE "$pack/LICENSE.txt"
version=$(sed -n 's/^project(Orvi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@VERSION@/$version/" Tools/Web/README.txt > "$pack/README.txt"
(cd "$out" && zip -qr -X orvi-web.zip orvi-web)
echo "web: $out/orvi-web.zip ($(du -h "$out/orvi-web.zip" | cut -f1))"
# What a browser fetches, as it is and as a host's gzip would send it.
total=0; total_gz=0
for f in "${site[@]}"; do
  size=$(stat -c %s "$out/$f"); gz=$(gzip -9 -c "$out/$f" | wc -c)
  total=$((total + size)); total_gz=$((total_gz + gz))
  printf 'web: %-10s %10d bytes (%d gzipped)\n' "$f" "$size" "$gz"
done
printf 'web: %-10s %10d bytes (%d gzipped)\n' "in all" "$total" "$total_gz"

if [ "$run_tests" -eq 1 ]; then
  step "the tests under node"
  ctest --test-dir "$out/cmake" --output-on-failure
  step "every frame of the show against the native build's"
  bash Tools/Web/same_frames.sh "$out"
  bash Tools/Web/same_frames.sh "$out" --calm
  step "the page in headless Chromium"
  (cd Tests/Web/Page && npm ci --no-audit --no-fund --loglevel=error)
  node --no-experimental-fetch Tests/Web/Page/page_tests.mjs "$out" --long
  step "the page in headless Firefox (a smoke test)"
  node --no-experimental-fetch Tests/Web/Page/firefox_smoke.mjs "$out"
fi
step "done"
