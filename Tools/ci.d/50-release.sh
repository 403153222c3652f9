#!/usr/bin/env bash
# The Linux release as a distribution would install it: cmake --install into a
# fresh prefix gives the layout of orvi(1), nothing under a generic name, the
# programs find their libraries through RPATH, both launchers work from any
# folder, the manual page renders without warnings, the desktop entry is
# valid and offers a calm show, and the flash warning stands in the start
# line, the manual page and the README.
set -euo pipefail
cd "$(dirname "$0")/../.."
prefix=$(mktemp -d)
elsewhere=$(mktemp -d)
trap 'rm -rf "$prefix" "$elsewhere"' EXIT
cmake --build build -j"$(nproc)" >/dev/null
cmake --install build --prefix "$prefix" >/dev/null
failures=0
# The one text of the photosensitivity warning, which every place shows.
warning=$(cat Tools/Release/Flash_Warning.txt)
fail() { echo "release: $*"; failures=$((failures + 1)); }

for f in bin/orvi bin/orvi-capture libexec/orvi/demo libexec/orvi/capture \
         lib/orvi/libLib.so lib/orvi/libPlatform.so lib/orvi/libRasterizer.so \
         share/orvi/data/tekno.xm share/orvi/data/texture/cinemascope.jpg share/orvi/data/tekstit/a1.tga \
         share/applications/orvi.desktop share/icons/hicolor/256x256/apps/orvi.png \
         share/icons/hicolor/48x48/apps/orvi.png share/man/man1/orvi.1 share/man/man1/orvi-capture.1 \
         share/doc/orvi/LICENSE share/doc/orvi/CHANGES; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
commands=$(ls "$prefix/bin" | tr '\n' ' ')
[ "$commands" = "orvi orvi-capture " ] || fail "bin/ holds: $commands"
[ ! -e "$prefix/share/orvi/data/audio_yardstick.xm" ] || fail "a test module was installed with the data"
for program in demo capture; do
  libraries=$(ldd "$prefix/libexec/orvi/$program")
  if grep -q 'not found' <<<"$libraries"; then
    fail "$program: $(grep 'not found' <<<"$libraries" | tr -s ' \t' ' ')"
  fi
  grep -q "=> $prefix/libexec/orvi/../../lib/orvi/libLib.so" <<<"$libraries" ||
    fail "$program does not take libLib.so from lib/orvi"
done

# The recorder, from a folder of the caller's, writes there.
(cd "$elsewhere" && "$prefix/bin/orvi-capture" --at 60 --out f.png --quiet) || fail "orvi-capture --at 60 failed"
[ "$(head -c 8 "$elsewhere/f.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "orvi-capture wrote no PNG file in the caller's folder"

# The show, from another folder, through the launcher and as the bare program
# (which finds the data beside itself), on SDL's headless driver asked for by
# name (so no display is needed) and silent: it plays from the installed data
# folder, finds every file (no report, no "cannot open") and ends cleanly on
# SIGTERM.
for program in bin/orvi libexec/orvi/demo; do
  log="$elsewhere/$(basename "$program").log"
  (cd "$elsewhere" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec "$prefix/$program" -n) >"$log" 2>&1 &
  show=$!
  sleep 3
  kill -TERM "$show"
  status=0
  wait "$show" || status=$?
  [ "$status" -eq 143 ] || fail "$program ended with status $status, not 143, on SIGTERM"
  grep -qF "playing the show from $prefix/share/orvi/data," "$log" ||
    fail "$program did not play from the installed data folder: $(head -n 3 "$log")"
  if grep -qiE 'cannot|assertion' "$log"; then
    fail "$program did not find its files: $(head -n 3 "$log")"
  fi
  grep -qF -- "$warning" "$log" || fail "$program's start line lacks the flash warning"
done

warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/orvi.1" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "orvi.1: $warnings"
MANWIDTH=80 man -l "$prefix/share/man/man1/orvi.1" 2>/dev/null | grep -q 'EXIT STATUS' || fail "orvi.1 does not render"
MANWIDTH=80 man -M "$prefix/share/man" orvi-capture 2>/dev/null | grep -q 'orvi-capture' ||
  fail "orvi-capture(1) does not lead to orvi(1)"
desktop-file-validate "$prefix/share/applications/orvi.desktop" || fail "orvi.desktop is not valid"
grep -qxF 'Exec=orvi --calm' "$prefix/share/applications/orvi.desktop" || fail "orvi.desktop has no calm action"
grep -qF -- "${warning//-/\\-}" "$prefix/share/man/man1/orvi.1" || fail "orvi.1 lacks the flash warning"
grep -qF -- "$warning" README.md || fail "README.md lacks the flash warning"

if [ "$failures" -ne 0 ]; then
  echo "release: $failures checks failed"
  exit 1
fi
echo "release: the installed layout, launchers, manual page and desktop entry are right"
