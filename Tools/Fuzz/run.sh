#!/usr/bin/env bash
# Runs one fuzz target on its seeds for a while; new inputs go to a working
# corpus beside the seeds, crashes to OUT_DIR/crashes.
#   Tools/Fuzz/run.sh tga|jpg SECONDS [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
kind=$1
seconds=$2
out=${3:-build-fuzz}
target=$out/bin/Fuzz_${kind^^}
mkdir -p "$out/corpus/$kind" "$out/crashes"
# -close_fd_mask=2: libjpeg's warnings would flood the log; libFuzzer keeps
# its own and the sanitizers' reports on a copy of stderr.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  "$target" -max_total_time="$seconds" -timeout=10 -max_len=65536 -close_fd_mask=2 -print_final_stats=1 \
  -artifact_prefix="$out/crashes/$kind-" "$out/corpus/$kind" "$out/seeds/$kind"
