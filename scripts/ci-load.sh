#!/usr/bin/env bash
# chamber-load against a chamber-server of its own, briefly: 50 clients voting for 6 seconds on
# loopback, the server killed with SIGKILL at second 3 and started again; on a SQLite file (10 of
# the clients idle, the logins spread over the first second, a backup at second 2 while the clients
# vote, and the copy checked), then (as root, with Debian's
# postgresql) on a database of a throwaway PostgreSQL cluster. Fails unless every answered vote is
# in the store (and every vote answered before the backup in the copy), and unless the server's log
# is free of sanitizer reports (the sanitizer run of CI runs this against its own build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake --build "$build" -j2 --target chamber-load chamber-server pg_cluster
work=$(mktemp -d)
chmod 755 "$work"  # the cluster's folder inside is the postgres user's
cluster=$work/pg
trap '"$build/tests/server/pg_cluster" stop "$cluster"; rm -rf "$work"' EXIT

load() { # DB [MORE OPTIONS]
    "$build/tools/load/chamber-load" --db "$@" --server-log "$work/server.log" \
        --clients 50 --seconds 6 --kill-at 3 | tee "$work/load.txt"
    tail -n 1 "$work/load.txt" | grep -q ', 0 lost$'
    if grep -q 'Sanitizer' "$work/server.log"; then
        cat "$work/server.log"
        echo "FAILED: the server reported a sanitizer error" >&2
        exit 1
    fi
}

echo "== on SQLite, with idle clients, a ramp, and a backup taken at second 2 and checked"
load "$work/load.db" --watchers 40 --ramp 1 --backup-at 2 --backup-to "$work/backup.db"
"$build/tests/server/pg_cluster" start "$cluster"
if [ -f "$cluster/server" ]; then
    echo "== on PostgreSQL"
    load "$(cat "$cluster/server")postgres"
fi
