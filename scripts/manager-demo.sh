#!/usr/bin/env bash
# The manager role in one go: installs what is missing, builds, starts the
# simulated game server, a headless manager logged in to it with one demo
# account (user "demo", password "demo", every right), and then the remote
# admin client, which logs in to the manager's Admin Port and sends
# "player list". The reply printed last is the game server's, relayed by the
# manager. Everything stops at the end; the program folder stays in
# build/manager-demo/.
#
# With --window the console's window opens instead of the admin client,
# logged in to the manager as the remote admin "demo" (its own program folder
# is build/manager-demo/remote/); closing it stops everything.
set -euo pipefail
window=0
case "${1:-}" in
    --window) window=1 ;;
    "") ;;
    *) echo "usage: $0 [--window]" >&2; exit 64 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
BUILD_TARGETS="tavrinrat tavrinrat-sim tavrinrat-admin" "$root/scripts/build.sh"

sim="$root/build/tools/sim/tavrinrat-sim"
console="$root/build/tavrinrat"
admin="$root/build/tavrinrat-admin"
dir="$root/build/manager-demo"
rm -rf "$dir"
mkdir -p "$dir/Configs"

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true' EXIT

"$sim" --port 0 --user admin --password secret >"$dir/sim.log" 2>&1 &
pids+=($!)
port=
for _ in $(seq 100); do
    port=$(sed -n '1s/^port //p' "$dir/sim.log")
    [[ -n "$port" ]] && break
    sleep 0.1
done
[[ -n "$port" ]] || { cat "$dir/sim.log" >&2; exit 1; }
printf '*FAV*Simulator,127.0.0.1,%s,admin,secret\r\n' "$port" >"$dir/Configs/servers.cfg"
printf 'Name=Demo Admin\nUser=demo\nPass=demo\nRights=3FFF\nGuid=none\n[END]' \
    >"$dir/Configs/radmins.cfg"
chmod 600 "$dir/Configs/servers.cfg" "$dir/Configs/radmins.cfg"

echo "== simulator on 127.0.0.1:$port; manager starting (its output: $dir/manager.log)"
"$console" --headless --dir "$dir" --manager --admin-port 0 --admin-bind 127.0.0.1 \
    >"$dir/manager.log" 2>&1 &
pids+=($!)
admin_port=
for _ in $(seq 100); do
    admin_port=$(sed -n 's/.*Admin Port open on 127.0.0.1 port \([0-9]*\).*/\1/p' "$dir/manager.log")
    grep -q '^Server Name: ' "$dir/manager.log" && [[ -n "$admin_port" ]] && break
    sleep 0.1
done
[[ -n "$admin_port" ]] || { cat "$dir/manager.log" >&2; exit 1; }
echo "== manager logged in to the simulator; Admin Port 127.0.0.1:$admin_port"

if (( window )); then
    mkdir -p "$dir/remote"
    (umask 077 && printf 'demo\n' >"$dir/demo.password")
    echo "== the window, a remote admin of the manager (user demo)"
    status=0
    "$console" --dir "$dir/remote" --remote "127.0.0.1:$admin_port" --user demo \
        --password-file "$dir/demo.password" --login || status=$?
    exit "$status"
fi

echo "== tavrinrat-admin 127.0.0.1:$admin_port --user demo --password demo -c \"player list\""
status=0
"$admin" "127.0.0.1:$admin_port" --user demo --password demo -c "player list" || status=$?
echo "== exit status $status; the manager's event log says:"
grep -e 'Admin ' "$dir/manager.log" | sed 's/^/   /'
exit "$status"
