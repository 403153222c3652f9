#!/bin/sh
# The benchmark table: every figure of build/bin/bench beside the Frame_Copy
# anchor of the same run (medians of repetitions, CPU time), then callgrind's
# instruction counts for one grid frame and one 1500-line frame.
#
#   Tools/bench.sh [build dir] [extra benchmark options]
# Options after the build dir go to the benchmark program, for example
#   Tools/bench.sh build --benchmark_filter='Grid|Frame_Copy'
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
bench=$build/bin/bench
frames=$build/bin/raster_frames
if [ ! -x "$bench" ]; then
    echo "no $bench: cmake --build $build --target bench raster_frames" >&2
    exit 1
fi

json=$(mktemp)
trap 'rm -f "$json" "$json".cg "$json".log' EXIT
"$bench" --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json "$@" >/dev/null 2>"$json".log
grep -E '^(Run on|Load Average)' "$json".log || true

python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
medians = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
unit = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
ns = {name: r["cpu_time"] * unit[r["time_unit"]] for name, r in medians.items()}
anchor = ns.get("Frame_Copy")
print(f"{'benchmark (median CPU time)':<28}{'time':>12}{'x Frame_Copy':>14}  note")
for name, t in ns.items():
    ratio = f"{t / anchor:.2f}" if anchor else "-"
    note = ""
    if name == "Grid_Render":
        note = f"{t / (640 * 368):.2f} ns a pixel"
    print(f"{name:<28}{t / 1e3:>9.1f} us{ratio:>14}  {note}")
PY

if command -v valgrind >/dev/null 2>&1 && [ -x "$frames" ]; then
    echo
    echo "instructions of one frame (callgrind):"
    for what in "grid" "lines 1500" "lines 500"; do
        # shellcheck disable=SC2086
        valgrind --tool=callgrind --callgrind-out-file="$json".cg --collect-atstart=no \
            --toggle-collect='*Measured_Frame*' "$frames" $what >/dev/null 2>&1
        count=$(sed -n 's/^summary: *//p; s/^totals: *//p' "$json".cg | head -n 1)
        printf '  %-12s %s\n' "$what" "$count"
    done
fi
