#!/usr/bin/env bash
# Installs what is missing, builds the host simulator alone (with the module, the rules engine and
# the art it needs), and runs it on its built-in scenario.
# Extra arguments go to chamber-sim (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target chamber-sim
exec build/sim/chamber-sim "$@"
