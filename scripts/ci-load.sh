#!/usr/bin/env bash
# chamber-load against a chamber-server of its own, briefly: 50 clients voting for 6 seconds on
# loopback, the server killed with SIGKILL at second 3 and started again. Fails unless every
# answered vote is in the store, and unless the server's log is free of sanitizer reports (the
# sanitizer run of CI runs this against its own build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake --build "$build" -j2 --target chamber-load chamber-server
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/load/chamber-load" --db "$work/load.db" --server-log "$work/server.log" \
    --clients 50 --seconds 6 --kill-at 3 | tee "$work/load.txt"
tail -n 1 "$work/load.txt" | grep -q ', 0 lost$'
if grep -q 'Sanitizer' "$work/server.log"; then
    cat "$work/server.log"
    echo "FAILED: the server reported a sanitizer error" >&2
    exit 1
fi
