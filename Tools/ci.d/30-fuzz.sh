#!/usr/bin/env bash
# Short fuzz runs of the texture loaders (about a minute each) on the seed
# corpora from the image writers, under ASan and UBSan. A crash, leak, or
# undefined behaviour fails the step; the failing input lands in
# build-fuzz-ci/crashes/.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build-fuzz-ci
rm -rf "$out/corpus"
bash Tools/Fuzz/build.sh "$out"
for kind in tga jpg; do
  echo "== fuzz $kind"
  rc=0
  bash Tools/Fuzz/run.sh "$kind" "${RYX_FUZZ_SECONDS:-60}" "$out" > "$out/$kind.log" 2>&1 || rc=$?
  grep -E '^(#[0-9]+ +DONE|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' "$out/$kind.log" || true
  if [ "$rc" -ne 0 ]; then
    tail -n 60 "$out/$kind.log"
    echo "fuzz $kind failed ($rc)"
    exit 1
  fi
done
