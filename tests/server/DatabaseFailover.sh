#!/usr/bin/env bash
# The realm's PostgreSQL primary lost under load: a primary and a synchronous standby (two
# throwaway clusters on 127.0.0.1, streaming replication), chamber-server on both through a libpq
# multi-host connection string with target_session_attrs=read-write, chamber-load's clients
# voting; after BEFORE seconds the primary is stopped hard (immediate shutdown) and the standby
# promoted. Passes when every vote answered before and after is in the promoted database. Skips
# (77) without root or Debian's postgresql. Every process stops by itself.
#   DatabaseFailover.sh SERVER LOAD [CLIENTS [BEFORE [AFTER]]]    (defaults 20 4 8)
set -euo pipefail
server=$1 load=$2 clients=${3:-20} before=${4:-4} after=${5:-8}
skip() { echo "skipped: $*" && exit 77; }
[ "$(id -u)" -eq 0 ] || skip "the clusters run as the postgres user, started by root"
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | tail -n 1)
[ -n "$bin" ] && id postgres >/dev/null 2>&1 || skip "no postgresql"
as_postgres() { runuser -u postgres -- "$@"; }

work=$(mktemp -d) pids=()
chown postgres "$work"  # the clusters and their sockets are the postgres user's
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    for data in "$work"/primary "$work"/standby; do
        [ -f "$data/postmaster.pid" ] && as_postgres "$bin/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1
    done
    rm -rf "$work"
}
trap cleanup EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
primary_port=$(free_port) standby_port=$(free_port)
start() { # DATA PORT [SETTINGS]
    as_postgres "$bin/pg_ctl" -D "$1" -l "$1.log" -w start \
        -o "-p $2 -k $work -c listen_addresses=127.0.0.1 ${3:-}" >/dev/null
}

as_postgres "$bin/initdb" -D "$work/primary" -A trust -U postgres >/dev/null
# Every commit waits until the standby has it on its disk too (a setting of the primary's command
# line: the promoted standby, alone then, must not wait for a standby of its own).
start "$work/primary" "$primary_port" "-c synchronous_standby_names='*'"
as_postgres "$bin/pg_basebackup" -h 127.0.0.1 -p "$primary_port" -U postgres -D "$work/standby" -R -X stream
start "$work/standby" "$standby_port"

db="host=127.0.0.1,127.0.0.1 port=$primary_port,$standby_port dbname=postgres user=postgres"
db="$db target_session_attrs=read-write connect_timeout=2"
seconds=$((before + after))
timeout -k 5 $((seconds + 30)) "$server" --db "$db" --rate 0 --listen 127.0.0.1:0 --max-prelogin-per-address 1000 \
    >"$work/server.txt" 2>"$work/server.log" &
pids+=($!)
for _ in $(seq 100); do grep -q "listening on" "$work/server.txt" && break || sleep 0.1; done
address=$(sed -n 's/^listening on //p' "$work/server.txt")
[ -n "$address" ] || { cat "$work/server.log"; exit 1; }
"$load" --db "$db" --connect "$address" --clients "$clients" --seconds "$seconds" --progress \
    >"$work/load.txt" 2>&1 &
load_pid=$! && pids+=($!)
sleep "$before"
as_postgres "$bin/pg_ctl" -D "$work/primary" -m immediate -w stop >/dev/null
as_postgres "$bin/pg_ctl" -D "$work/standby" -w promote >/dev/null
echo "primary stopped at second $before, standby promoted"
load_status=0 && wait "$load_pid" || load_status=$?
cat "$work/load.txt"
grep -E "out of reach|waiting" "$work/server.log" | head -n 3 || true
[ "$load_status" -eq 0 ] && tail -n 1 "$work/load.txt" | grep -q ', 0 lost$' || {
    cat "$work/server.log"
    echo "FAILED: answered votes lost"
    exit 1
}
