#!/bin/sh
# Runs a Windows program under Debian's wine64, in the show's own Wine prefix
# (never ~/.wine), quietly, without Wine's offers to install Mono or Gecko.
# The build's test runner uses it for every test program of a Windows build.
: "${WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/orvi-windows/wine}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec /usr/lib/wine/wine64 "$@"
