#!/usr/bin/env bash
# Pictures of the desktop console: builds the console and the simulated game
# server, starts the simulator, runs the console on Qt's offscreen platform in
# a fresh program folder logged in to it, and once the first replies are shown
# saves a PNG of the main window on each tab and of every other window and
# dialog, at their default sizes, in a light and a dark palette:
# OUT_DIR/<what>-<light|dark>.png.
#
#   scripts/screenshots.sh OUT_DIR        (BUILD_DIR picks the build folder)
set -euo pipefail
if [[ $# -ne 1 ]]; then
    echo "usage: scripts/screenshots.sh OUT_DIR" >&2
    exit 64
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
mkdir -p "$1"
out=$(cd "$1" && pwd)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tavrinrat tavrinrat-sim

work=$(mktemp -d)
sim_pid=
more_pids=()
cleanup() {
    [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
    for pid in "${more_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The first line of a simulator's log, "port N" (or "control N" with `key` control).
sim_port() {
    local log=$1 key=$2 pid=$3 found=
    for _ in $(seq 100); do
        found=$(sed -n "s/^$key //p" "$log" | head -1)
        [[ -n "$found" ]] && break
        kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
    [[ -n "$found" ]] || { echo "screenshots: a simulator did not start" >&2; exit 1; }
    echo "$found"
}

# A fixed seed: the same game, and so the same pictures, every run.
"$build/tools/sim/tavrinrat-sim" --port 0 --seed 7 --user admin --password secret \
    >"$work/sim.log" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n '1s/^port //p' "$work/sim.log")
    [[ -n "$port" ]] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.log" >&2; exit 1; }
    sleep 0.1
done
[[ -n "$port" ]] || { echo "screenshots: the simulator did not start" >&2; exit 1; }

mkdir -p "$work/run/Configs"
printf '*FAV*Simulator,127.0.0.1,%s,admin,secret\r\n' "$port" >"$work/run/Configs/servers.cfg"
chmod 600 "$work/run/Configs/servers.cfg"

# An earlier week in the history: the console makes the schema in an empty
# file (a look-up that finds no one), then a few players of the simulated
# game get sessions and sanctions, and the server a week of player counts,
# so that the History window and the Players tab's mark have something to show.
: >"$work/run/history.db"
"$build/tavrinrat" --dir "$work/run" --history nobody >/dev/null 2>&1 || true
python3 - "$work/run/history.db" <<'PY'
import sqlite3, sys, time, datetime
db = sqlite3.connect(sys.argv[1])
now = int(time.time())
def utc(t):
    return datetime.datetime.fromtimestamp(t, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
for i, name in enumerate(["Viper", "Shadow", "Maverick", "Reaper", "Nomad", "Blaze"]):
    for day in range(1, 4 + i % 3):
        start = now - day * 86400 - i * 3600
        db.execute("INSERT INTO sessions VALUES (?, ?, ?, ?, ?, ?, ?)",
                   ("Simulator", name, utc(start), utc(start + 2400), 5 + day * i, 3 + day, 40 + 7 * i))
sanctions = [(2, "Viper", "warn", "Warning1 noob", "chatbot"),
             (2, "Viper", "punt", "KICKED FOR TEAM-KILLING", "console"),
             (1, "Shadow", "warn", "Warning1 camper", "chatbot"),
             (3, "Maverick", "ban", "Cheating", "admin:ann"),
             (1, "Reaper", "punt", "Language", "admin:bob")]
for day, name, action, reason, source in sanctions:
    db.execute("INSERT INTO sanctions (time, server, player, action, reason, source) VALUES (?, ?, ?, ?, ?, ?)",
               (utc(now - day * 86400 + 900), "Simulator", name, action, reason, source))
# Every 5 minutes over the week, and every 20 seconds (as the console polls)
# in its last hour, which the Server tab's plot starts from.
for t in list(range(now - 7 * 86400, now - 3600, 300)) + list(range(now - 3600, now - 60, 20)):
    hour = (t // 3600) % 24
    total = max(0, int(14 + 10 * (1 if 17 <= hour <= 23 else -0.4) + (t // 300) % 5))
    db.execute("INSERT INTO player_counts VALUES (?, ?, ?, ?, ?)",
               (utc(t), "Simulator", total, total * 3 // 5, total - total * 3 // 5))
db.commit()
PY

QT_QPA_PLATFORM=offscreen "$build/tavrinrat" --dir "$work/run" --chatbot --screenshots "$out" \
    2> >(grep -v -e 'propagateSizeHints' -e 'support raise' -e XDG_RUNTIME_DIR >&2)

# The manager role: its main window on every tab, the Admins tab with a few
# accounts, one of them logged in.
mkdir -p "$work/manager/Configs"
cp "$work/run/Configs/servers.cfg" "$work/manager/Configs/"
printf 'Name=%s\nUser=%s\nPass=%s\nRights=%s\nGuid=%s\n' \
    "Ann Example" ann annpass 3FFF none \
    "Bob Moderator" bob bobpass 0F08 "clan-7" \
    "Cid Watcher" cid cidpass 0100 none >"$work/manager/Configs/radmins.cfg"
printf '[END]' >>"$work/manager/Configs/radmins.cfg"
chmod 600 "$work/manager/Configs/radmins.cfg"
QT_QPA_PLATFORM=offscreen "$build/tavrinrat" --dir "$work/manager" --manager \
    --admin-port 0 --admin-bind 127.0.0.1 --screenshots "$out" \
    2> >(grep -v -e 'propagateSizeHints' -e 'support raise' -e XDG_RUNTIME_DIR >&2)

# The window as a remote admin of a headless manager logged in to the
# simulator: with every right (ann), and with a narrow account (cid: Warn
# only).
mkdir -p "$work/hub/Configs" "$work/remote-full/Configs" "$work/remote-narrow/Configs"
cp "$work/run/Configs/servers.cfg" "$work/manager/Configs/radmins.cfg" "$work/hub/Configs/"
"$build/tavrinrat" --headless --dir "$work/hub" --manager --admin-port 0 --admin-bind 127.0.0.1 \
    >"$work/hub.log" 2>&1 &
more_pids+=($!)
hub_port=
for _ in $(seq 100); do
    hub_port=$(sed -n 's/.*Admin Port open on 127.0.0.1 port \([0-9]*\).*/\1/p' "$work/hub.log")
    grep -q '^Server Name: ' "$work/hub.log" && [[ -n "$hub_port" ]] && break
    sleep 0.1
done
[[ -n "$hub_port" ]] || { cat "$work/hub.log" >&2; exit 1; }
for account in full:ann:annpass narrow:cid:cidpass; do
    IFS=: read -r kind user password <<<"$account"
    (umask 077 && printf '%s\n' "$password" >"$work/remote-$kind/password")
    QT_QPA_PLATFORM=offscreen "$build/tavrinrat" --dir "$work/remote-$kind" \
        --remote "127.0.0.1:$hub_port" --user "$user" --password-file "$work/remote-$kind/password" \
        --screenshots "$out" \
        2> >(grep -v -e 'propagateSizeHints' -e 'support raise' -e XDG_RUNTIME_DIR >&2)
done

# Three servers in one window: two simulators, and a third that resets the
# connection once logged in and refuses connections for a minute, so that its
# row shows the reconnect countdown.
mkdir -p "$work/servers/Configs"
for n in 2 3; do
    "$build/tools/sim/tavrinrat-sim" --port 0 --control-port 0 --seed "$n" --user admin \
        --password secret >"$work/sim$n.log" 2>&1 &
    more_pids+=($!)
done
port2=$(sim_port "$work/sim2.log" port "${more_pids[0]}")
port3=$(sim_port "$work/sim3.log" port "${more_pids[1]}")
control3=$(sim_port "$work/sim3.log" control "${more_pids[1]}")
printf '*FAV*Simulator,127.0.0.1,%s,admin,secret\r\nSecond,127.0.0.1,%s,admin,secret\r\nThird,127.0.0.1,%s,admin,secret\r\n' \
    "$port" "$port2" "$port3" >"$work/servers/Configs/servers.cfg"
chmod 600 "$work/servers/Configs/servers.cfg"
(
    for _ in $(seq 300); do
        grep -q "accepted" "$work/sim3.log" && break
        sleep 0.1
    done
    exec 3<>"/dev/tcp/127.0.0.1/$control3"
    printf 'refuse 60\nreset\n' >&3
    sleep 1
) &
more_pids+=($!)
QT_QPA_PLATFORM=offscreen "$build/tavrinrat" --dir "$work/servers" --server Simulator \
    --server Second --server Third --screenshots "$out" \
    2> >(grep -v -e 'propagateSizeHints' -e 'support raise' -e XDG_RUNTIME_DIR >&2)
