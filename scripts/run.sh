#!/usr/bin/env bash
# Installs what is missing, builds the console and the simulator, starts the
# simulated game server on loopback and the desktop console logged in to it,
# in the demo program folder build/run/. Without a display the console says so
# and runs without a window, printing its status lines and event log live.
# Closing the window (or Ctrl-C) ends both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# Only the two programs it runs: the tests and benchmarks are command two's.
BUILD_TARGETS="tavrinrat tavrinrat-sim" "$root/scripts/build.sh"

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
# The console logs in once the sim listens: its first line names the port.
for _ in $(seq 50); do
    [[ -s "$run_dir/sim.log" ]] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$run_dir/sim.log" >&2; exit 1; }
    sleep 0.1
done
echo "Console program folder: $run_dir (logs in its day folder); simulator log: $run_dir/sim.log"
args=(--dir "$run_dir" --chatbot)
# The console without a window logs in by itself.
[[ " $* " == *" --headless "* ]] || args+=(--login)
"$console" "${args[@]}" "$@"
