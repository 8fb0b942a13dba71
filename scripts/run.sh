#!/usr/bin/env bash
# Installs what is missing, builds everything, starts the simulated game
# server on loopback and the console (without a window) logged in to it.
# The console's status lines and event log print live; Ctrl-C ends both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

sim="$root/build/tools/sim/tavrinrat-sim"
console="$root/build/tavrinrat"
port=${TAVRIN_PORT:-7000}
run_dir="$root/build/run"
mkdir -p "$run_dir/Configs"
# The console logs in to its favourite server record.
printf '*FAV*Simulator,127.0.0.1,%s,admin,secret\r\n' "$port" >"$run_dir/Configs/servers.cfg"
chmod 600 "$run_dir/Configs/servers.cfg"

echo "Simulated game server: address 127.0.0.1, RAT port $port, user admin, password secret"
"$sim" --port "$port" --user admin --password secret >"$run_dir/sim.log" 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
sleep 0.5
echo "Console program folder: $run_dir (logs in its day folder); simulator log: $run_dir/sim.log"
"$console" --headless --dir "$run_dir" --chatbot "$@"
