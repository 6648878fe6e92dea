#!/usr/bin/env bash
# Installs what is missing, builds the tests and the programs they run (everything but the
# benchmarks, which scripts/ci-bench.sh builds), and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
