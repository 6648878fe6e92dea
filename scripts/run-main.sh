#!/usr/bin/env bash
# Installs what is missing, builds, and runs the host simulator on its built-in scenario.
# Extra arguments go to chamber-sim (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
exec build/sim/chamber-sim "$@"
