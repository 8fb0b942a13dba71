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
cleanup() {
    [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

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
