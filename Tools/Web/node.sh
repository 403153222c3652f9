#!/bin/sh
# Node for emscripten's output, wherever it runs it: configure checks that run
# test programs (CMAKE_CROSSCOMPILING_EMULATOR), the test programs themselves.
# Node 18 and newer have a fetch of their own, which emscripten 3.1.6's output
# mistakes for a browser's and uses to load its .wasm by URL: switched off.
exec node --no-experimental-fetch --stack-size=4096 "$@"
