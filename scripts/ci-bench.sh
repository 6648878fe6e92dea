#!/usr/bin/env bash
# Builds every benchmark program in a build folder and runs each once, briefly, so that none of
# them rots: a build failure, a crash or a benchmark that reports an error fails the script.
# The figures of so short a run mean nothing; BENCHMARKS.md says how to measure.
#
# Usage: scripts/ci-bench.sh [build-dir]    (default: build-bench, configured as Release if new)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target odc_benchmarks

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
export ODC_ASSET_DIR="$PWD/$build/assets"
status=0
for program in "$build"/bench/*_bench; do
    [ -x "$program" ] || continue
    name=$(basename "$program")
    echo "== $name"
    # OGRE draws through GLX: without an X server, the OGRE benchmark gets one of its own.
    run=()
    if [ "$name" = ogre_bench ] && [ -z "${DISPLAY:-}" ]; then
        run=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")
    fi
    # Google Benchmark exits 0 when a benchmark skips with an error: its JSON tells.
    if ! "${run[@]}" "$program" --benchmark_min_time=0.01 --benchmark_out="$results/$name.json" \
        --benchmark_out_format=json >"$results/$name.log" 2>&1; then
        cat "$results/$name.log"
        echo "FAILED: $name exited with an error" >&2
        status=1
    elif grep -q '"error_occurred": true' "$results/$name.json"; then
        grep -B2 -A2 '"error_occurred": true' "$results/$name.json"
        echo "FAILED: a benchmark of $name reported an error" >&2
        status=1
    else
        echo "ok ($(grep -c '"run_name"' "$results/$name.json") benchmarks)"
    fi
done
echo "== memory_bill"
if "$build/bench/memory_bill" >"$results/memory.md" 2>&1; then
    echo "ok ($(grep -c '^| [a-zA-Z]' "$results/memory.md") rows)"
else
    cat "$results/memory.md"
    echo "FAILED: memory_bill exited with an error" >&2
    status=1
fi
exit $status
