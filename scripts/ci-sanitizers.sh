#!/usr/bin/env bash
# Memory and undefined-behaviour checks of the whole test suite:
#  1. the whole project built with AddressSanitizer and UndefinedBehaviorSanitizer (leak checking
#     on, every report fatal) in its own build folder, and every ctest test run under them (the
#     simulator's drawing tests without leak checking: see tests/sim/CMakeLists.txt), then
#     chamber-load's brief run with a kill against chamber-server, both instrumented;
#  2. the end-to-end tests (chamber_tests) of an uninstrumented build run under valgrind's memcheck,
#     leaks included. No suppression is needed: CEGUI and glibc report nothing here.
# Any finding fails the script.
#   scripts/ci-sanitizers.sh [ASAN_BUILD_DIR] [MEMCHECK_BUILD_DIR]
#                                          (defaults: build-asan, build)
set -euo pipefail
cd "$(dirname "$0")/.."
asan_build=${1:-build-asan}
memcheck_build=${2:-build}

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: the whole suite"
cmake -S . -B "$asan_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DODC_SANITIZE=ON -DODC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan_build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$asan_build" --output-on-failure -j2
echo "== AddressSanitizer and UndefinedBehaviorSanitizer: chamber-load against chamber-server, with a kill"
scripts/ci-load.sh "$asan_build"
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== valgrind memcheck: chamber_tests"
# An existing build (the suite's own) is used as it is configured.
if [ ! -f "$memcheck_build/CMakeCache.txt" ]; then
    cmake -S . -B "$memcheck_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DODC_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$memcheck_build" -j2 --target chamber_tests chamber_assets
ODC_ASSET_DIR="$(pwd)/$memcheck_build/assets" valgrind --tool=memcheck --error-exitcode=1 \
    --leak-check=full --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
    --track-origins=yes \
    "$memcheck_build/tests/chamber/chamber_tests"
