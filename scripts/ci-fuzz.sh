#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a number of seconds on a copy of its committed corpus, so that the corpus in
# the repository stays unchanged. A crash, a leak, a sanitizer report or a failed check fails the
# script; the input that caused it is kept in BUILD_DIR/fuzz-artifacts.
#   scripts/ci-fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR]      (defaults: 60, build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build-fuzz}
targets=(packet response session server host)

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DODC_BUILD_FUZZERS=ON -DODC_BUILD_TESTS=OFF -DODC_BUILD_TOOLS=OFF -DODC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$(pwd)/$build/fuzz-artifacts"
mkdir -p "$artifacts"
for target in "${targets[@]}"; do
    echo "== ${target}_fuzzer for ${seconds} s"
    cp -r "fuzz/corpus/$target" "$work/$target"
    # The screen's inputs are sessions: long ones from the start.
    lengths=()
    [ "$target" = packet ] || lengths=(-max_len=1024 -len_control=0)
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 "${lengths[@]}" \
        -print_final_stats=1 -artifact_prefix="$artifacts/${target}-" "$work/$target"
done
