#!/usr/bin/env bash
# wine_tests.sh BUILD_DIR: the Windows build's tests under Debian's Wine, on an
# X screen of their own (Xvfb picks a free display): the test programs through
# ctest, then the packed demo.exe as a person meets it:
#   - its main window is of class "KQD_Test" with the caption "Orvi", as
#     Windows itself reports them (win_probe.exe) and as X sees the caption;
#   - "demo.exe -n", started from another folder, finds its files beside
#     itself, plays for 10 s, the screen is not black, and Escape (a real key
#     press through the X server) ends it with status 0;
#   - without tekno.xm, the real warning box appears with the failed check's
#     text and the caption "Error", Return closes it, and the show ends with
#     status 1.
set -euo pipefail
out=$(cd "$1" && pwd)
pack=$out/orvi-windows-x64
probe=$out/bin/win_probe.exe
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
work=$out/wine-tests
rm -rf "$work"
mkdir -p "$work"

# A prefix of the show's own, kept between runs: making one takes a while.
wine_version=$($wine --version | cut -d' ' -f1)
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/orvi-windows/$wine_version}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=$wineserver

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "passed: $*"; }

xvfb=""
demo=""
cleanup() {
  [ -n "$demo" ] && kill "$demo" 2>/dev/null || true
  $wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

started=$SECONDS
mkdir -p "$WINEPREFIX"
unset DISPLAY WAYLAND_DISPLAY
$wineserver -p  # one server for every program of the run
$wine wineboot --init >/dev/null 2>&1 || true
echo "wine: $($wine --version), prefix ready in $((SECONDS - started)) s"

# --- the test programs ------------------------------------------------------------
# Headless, as on Linux: with an X display Wine would give SDL's headless
# renderer a Direct3D device drawn through software OpenGL, and the tests that
# time the display would time that. One at a time, for the same reason.
# Wine itself now and then hangs a program that passes on every other run
# (seen in tests that run in seconds): a program still running after two
# minutes is run again, up to twice, instead of holding CI until its limit. A
# test that fails is never run again.
if ctest --test-dir "$out" --output-on-failure --timeout 120 --repeat after-timeout:3; then
  pass "the test programs"
else
  fail "the test programs"
fi
$wineserver -k 2>/dev/null || true
$wineserver -w 2>/dev/null || true

# --- demo.exe, on an X screen of its own ----------------------------------------------
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(cat "$work/display")
$wineserver -p

# --- demo.exe ------------------------------------------------------------------------
# Polls a command until it succeeds, for up to $1 seconds.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}
probe() { $wine "$probe" "$@" 2>/dev/null | tr -d '\r'; }
demo_running() { kill -0 "$demo" 2>/dev/null; }
# The exit status of demo.exe, or 255 when it is still running after $1 s.
demo_status() {
  wait_for "$1" bash -c "! kill -0 $demo" || return 255
  local status=0
  wait "$demo" || status=$?
  demo=""
  return $status
}
start_demo() { # program folder log arguments...
  local program=$1 folder=$2 log=$3
  shift 3
  (cd "$folder" && exec $wine "$program" "$@") >"$log" 2>&1 &
  demo=$!
}
# Of every 1000 bytes of the X screen's pixels, those that show some light:
# neither 0 (black) nor 255 (the unused fourth byte of each pixel).
lit_per_mille() {
  xwd -root -silent >"$work/screen.xwd"
  local header colours total lit
  header=$(od -An -tu4 --endian=big -j0 -N4 "$work/screen.xwd" | tr -d ' ')
  colours=$(od -An -tu4 --endian=big -j76 -N4 "$work/screen.xwd" | tr -d ' ')
  total=$(($(stat -c %s "$work/screen.xwd") - header - colours * 12))
  lit=$(tail -c "$total" "$work/screen.xwd" | tr -d '\000\377' | wc -c)
  echo $((lit * 1000 / total))
}

start_demo "$pack/demo.exe" "$work" "$work/demo.log" -n
if wait_for 60 bash -c "[ \"\$($wine '$probe' class KQD_Test 2>/dev/null | tr -d '\r')\" = Orvi ]"; then
  pass "the window of class KQD_Test has the caption \"$(probe class KQD_Test)\""
else
  fail "no window of class KQD_Test with the caption Orvi"
fi
# Wine maps the X window a moment after the Windows one has its caption.
wait_for 10 xdotool search --name '^Orvi$' || true
x_window=$(xdotool search --name '^Orvi$' 2>/dev/null | head -n1 || true)
if [ -n "$x_window" ] && xprop -id "$x_window" WM_NAME | grep -q '= "Orvi"'; then
  pass "X sees $(xprop -id "$x_window" WM_NAME) ($(xprop -id "$x_window" WM_CLASS | sed 's/.*= //'), Wine's own class names)"
else
  fail "no X window named Orvi"
fi
# The opening flickers out of black: a screenshot every half second for 10 s.
brightest=0
lit_shots=0
for _ in $(seq 20); do
  sleep 0.5
  demo_running || break
  lit=$(lit_per_mille)
  [ "$lit" -gt 0 ] && lit_shots=$((lit_shots + 1))
  if [ "$lit" -gt "$brightest" ]; then
    brightest=$lit
    cp "$work/screen.xwd" "$work/brightest.xwd"
  fi
done
if demo_running; then
  if [ "$lit_shots" -gt 0 ]; then
    pass "in 10 s the show lit $lit_shots of 20 screenshots (at most $brightest of 1000 bytes; $work/brightest.xwd)"
  else
    fail "20 screenshots in 10 s were all black"
  fi
  [ -n "$x_window" ] && xdotool windowfocus --sync "$x_window" 2>/dev/null || true
  xdotool key Escape
  status=0
  demo_status 15 || status=$?
  if [ "$status" -eq 0 ]; then pass "Escape ends the show with status 0"; else fail "Escape: status $status (255: still running)"; fi
  if grep -q "using the data folder .*orvi-windows-x64" "$work/demo.log"; then
    pass "started from another folder, it plays from its own"
  else
    fail "started from another folder: $(head -n 2 "$work/demo.log")"
  fi
else
  fail "demo.exe ended by itself within 10 s"
  tail -n 20 "$work/demo.log"
fi
[ -n "$demo" ] && kill "$demo" 2>/dev/null
demo=""

# Without the module: the real box, with the failed check's text. The program
# too lies in a folder without it, or it would find the one beside the package's.
mkdir -p "$work/no-module"
ln -s "$pack"/* "$work/no-module/"
rm "$work/no-module/tekno.xm"
start_demo "$work/no-module/demo.exe" "$work/no-module" "$work/no-module.log" -n
if wait_for 60 bash -c "$wine '$probe' box Error >/dev/null 2>&1"; then
  text=$(probe box Error)
  if [ "$text" = "BASS_MusicPlay(m_mod)" ]; then pass "a missing tekno.xm shows the box \"Error\": $text"; else fail "the box says \"$text\""; fi
  box=$(xdotool search --name '^Error$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ] && xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
  if wait_for 10 bash -c "! $wine '$probe' box Error >/dev/null 2>&1"; then pass "Return closes the box"; else fail "the box is still up after Return"; fi
  # Without music the show ends by itself.
  status=0
  demo_status 15 || status=$?
  if [ "$status" -eq 1 ]; then pass "the show without music ends with status 1"; else fail "without music: status $status (255: still running)"; fi
else
  fail "no warning box for a missing tekno.xm"
  tail -n 20 "$work/no-module.log"
fi

if [ "$failures" -ne 0 ]; then
  echo "wine tests: $failures failed"
  exit 1
fi
echo "wine tests: all passed"
