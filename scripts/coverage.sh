#!/usr/bin/env bash
# Line and branch coverage of param/, chamber/ and gui/ by the whole test suite, built with gcc's
# --coverage (-O0, no inlining) and reported with gcovr. Branches that only throw exceptions and
# branches the compiler proved unreachable are not counted (--exclude-throw-branches
# --exclude-unreachable-branches): the module throws nothing of its own, and those branches come
# from the standard library's inline code. Fails when param/ or chamber/ falls below 95% of lines
# or 90% of branches.
#   scripts/coverage.sh [BUILD_DIR]      (default build-cov)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-cov}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DODC_COVERAGE=ON -DODC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" --output-on-failure -j2

gcovr_options=(--root . --object-directory "$build" --exclude-throw-branches --exclude-unreachable-branches)
status=0
for folder in param chamber gui; do
    echo "== $folder/: lines"
    gcovr "${gcovr_options[@]}" --filter "$folder/" --txt
    echo "== $folder/: branches"
    gcovr "${gcovr_options[@]}" --filter "$folder/" --txt --branches
    if [ "$folder" != gui ]; then
        # The report goes to standard output and is dropped there: gcovr's --output replaces the
        # file it is given, which as root would turn /dev/null into a regular file.
        gcovr "${gcovr_options[@]}" --filter "$folder/" --fail-under-line 95 --fail-under-branch 90 \
            >/dev/null || { echo "$folder/ is below 95% of lines or 90% of branches"; status=1; }
    fi
done
exit $status
