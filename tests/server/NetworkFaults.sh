#!/usr/bin/env bash
# chamber-load's clients on a host of their own, behind a link to chamber-server's host that delays
# every packet 100 ms each way and loses 5 % of them; after BEFORE seconds the link is cut for CUT
# seconds, then healed. Passes when nothing answered is lost, the server closed the dead sessions by
# its idle timeout, and every client was back and answered after the heal. Two network namespaces
# joined by chamber-link; skips (77) without root or namespaces. Every process stops by itself.
#   NetworkFaults.sh SERVER LOAD LINK [CLIENTS [BEFORE [CUT [AFTER]]]]    (defaults 20 6 10 12)
set -euo pipefail
server=$1 load=$2 link=$3 clients=${4:-20} before=${5:-6} cut=${6:-10} after=${7:-12}
skip() { echo "skipped: $*" && exit 77; }
[ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
command -v ip >/dev/null && [ -c /dev/net/tun ] || skip "no ip command or no /dev/net/tun"

work=$(mktemp -d) ns_server=odc-server-$$ ns_clients=odc-clients-$$ pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    ip netns del "$ns_server" 2>/dev/null || true
    ip netns del "$ns_clients" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Namespaces left by a run that was killed before it could delete them.
for ns in $(ip netns list 2>/dev/null | grep -Eo '^odc-(server|clients)-[0-9]+' || true); do
    kill -0 "${ns##*-}" 2>/dev/null || ip netns del "$ns" || true
done
ip netns add "$ns_server" 2>/dev/null || skip "ip netns add is not allowed here"
ip netns add "$ns_clients"
wait_for() { # FILE TEXT: up to 10 s
    for _ in $(seq 100); do grep -q "$2" "$1" 2>/dev/null && return 0 || sleep 0.1; done
    echo "no \"$2\" in $1:" && cat "$1" && return 1
}

seconds=$((before + cut + after))
"$link" "$ns_server" 10.77.0.1 "$ns_clients" 10.77.0.2 --delay 100 --loss 5 --seconds $((seconds + 60)) \
    >"$work/link.txt" 2>&1 &
link_pid=$! && pids+=($!)
wait_for "$work/link.txt" "link up"
timeout $((seconds + 60)) ip netns exec "$ns_server" "$server" --db "$work/load.db" --rate 0 \
    --listen 10.77.0.1:7400 --idle-timeout 3 >"$work/server.txt" 2>"$work/server.log" &
pids+=($!)
wait_for "$work/server.txt" "listening on"
ip netns exec "$ns_clients" "$load" --db "$work/load.db" --connect 10.77.0.1:7400 --clients "$clients" \
    --seconds "$seconds" --progress >"$work/load.txt" 2>&1 &
load_pid=$! && pids+=($!)
wait_for "$work/load.txt" "chamber-load:"
sleep "$before" && kill -USR1 "$link_pid"
sleep "$cut" && kill -USR2 "$link_pid"
load_status=0 && wait "$load_pid" || load_status=$?
kill "$link_pid" && wait "$link_pid" || true
cat "$work/load.txt" "$work/link.txt"

idle_closed=$(grep -c "no whole frame" "$work/server.log" || true)
echo "the server closed $idle_closed connections by its idle timeout"
# The first second after the heal with every client logged in and more votes answered than at it.
back=$(awk -v healed=$((before + cut)) -v clients="$clients" '/^second / {
    if ($2 + 0 <= healed) at_heal = $6 + 0
    else if (!found && $3 == clients && $6 + 0 > at_heal) { found = 1; print $2 - healed } }' "$work/load.txt")
[ "$load_status" -eq 0 ] && tail -n 1 "$work/load.txt" | grep -q ', 0 lost$' || fail="answered votes lost"
[ "$idle_closed" -ge 1 ] || fail="no session closed by the server's idle timeout during the cut"
[ -n "$back" ] && echo "every client was back and answered within $back s of the heal" ||
    fail="the clients did not all come back after the heal"
[ -z "${fail:-}" ] || { echo "FAILED: $fail" && exit 1; }
