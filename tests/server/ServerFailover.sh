#!/usr/bin/env bash
# Two chamber-servers on one PostgreSQL realm (a throwaway cluster on 127.0.0.1) and chamber-load's
# clients given both addresses: the serving server is killed (SIGKILL) under load, then, with the
# killed one back as the standby, the serving one is paused (SIGSTOP) past its lease and resumed.
# Each time the standby takes over and the clients follow it. Passes when nothing answered is lost
# and the paused server, resumed, stops without answering. Skips (77) without root or Debian's
# postgresql. Every process stops by itself.
#   ServerFailover.sh SERVER LOAD PG_CLUSTER [CLIENTS [SECONDS [FAULT_AT [PAUSE]]]]   (defaults 20 10 3 4)
set -euo pipefail
server=$1 load=$2 cluster_tool=$3 clients=${4:-20} seconds=${5:-10} fault_at=${6:-3} pause=${7:-4}
skip() { echo "skipped: $*" && exit 77; }
[ "$(id -u)" -eq 0 ] || skip "the cluster runs as the postgres user, started by root"

work=$(mktemp -d) pids=()
chmod 755 "$work"
cleanup() {
    kill -CONT "${pids[@]}" 2>/dev/null || true
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    "$cluster_tool" stop "$work/pg"
    rm -rf "$work"
}
trap cleanup EXIT
"$cluster_tool" start "$work/pg"
[ -f "$work/pg/server" ] || skip "no PostgreSQL cluster"
db="$(cat "$work/pg/server")postgres"
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
ports=("$(free_port)" "$(free_port)")
serve() { # INDEX: a server on its port, standing by until it holds the lease
    timeout -k 5 $((seconds * 2 + 30)) "$server" --db "$db" --listen "127.0.0.1:${ports[$1]}" --rate 0 \
        --max-prelogin 1000 --max-prelogin-per-address 1000 >>"$work/server-$1.txt" 2>>"$work/server-$1.log" &
    pids+=($!)
}
wait_for() { # FILE TEXT: up to 10 s
    for _ in $(seq 100); do grep -q "$2" "$1" 2>/dev/null && return 0 || sleep 0.1; done
    echo "no \"$2\" in $1:" && cat "$1" && return 1
}
run_load() { # FAULT OPTIONS...
    "$load" --db "$db" --connect "127.0.0.1:${ports[0]},127.0.0.1:${ports[1]}" --clients "$clients" \
        --seconds "$seconds" "$@" | tee "$work/load.txt"
    tail -n 1 "$work/load.txt" | grep -q ', 0 lost$' || { echo "FAILED: answered votes lost"; exit 1; }
}

serve 0
wait_for "$work/server-0.txt" "listening on"
serve 1
wait_for "$work/server-1.log" "standing by"
echo "== the serving server killed at second $fault_at"
run_load --kill-serving-at "$fault_at"

# The killed server comes back, and stands by behind the one that took over.
serve 0
wait_for "$work/server-0.log" "standing by"
echo "== the serving server paused at second $fault_at for $pause s"
run_load --pause-serving-at "$fault_at" --pause-for "$pause"
wait_for "$work/server-1.log" "has passed to another server" || { echo "FAILED: the paused server went on"; exit 1; }
