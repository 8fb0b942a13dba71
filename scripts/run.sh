#!/usr/bin/env bash
# Installs what is missing, builds the console and the simulator, starts the
# simulated game server on loopback and the desktop console logged in to it,
# in the demo program folder build/run/. Without a display the console says so
# and runs without a window, printing its status lines and event log live.
# Closing the window (or Ctrl-C) ends both.
# "--servers N" starts N simulators on consecutive ports and one console on
# all of them: the window lists them beside its tabs (without a window every
# line begins with the server's name); each logs in Servers/NAME/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
servers=1
rest=()
while (($#)); do
    if [[ $1 == --servers ]]; then
        [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --servers takes a number from 1" >&2; exit 64; }
        servers=$2
        shift 2
    else
        rest+=("$1")
        shift
    fi
done
set -- "${rest[@]+"${rest[@]}"}"
"$root/scripts/install-deps.sh"
# Only the two programs it runs: the tests and benchmarks are command two's.
BUILD_TARGETS="tavrinrat tavrinrat-sim" "$root/scripts/build.sh"

sim="$root/build/tools/sim/tavrinrat-sim"
console="$root/build/tavrinrat"
port=${TAVRIN_PORT:-7000}
run_dir="$root/build/run"
mkdir -p "$run_dir/Configs"
sim_pids=()
trap 'for p in "${sim_pids[@]+"${sim_pids[@]}"}"; do kill "$p" 2>/dev/null || true; done' EXIT
if ((servers == 1)); then
    # The console logs in to its favourite server record.
    printf '*FAV*Simulator,127.0.0.1,%s,admin,secret\r\n' "$port" >"$run_dir/Configs/servers.cfg"
    names=(Simulator)
else
    names=()
    : >"$run_dir/Configs/servers.cfg"
    for ((i = 1; i <= servers; i++)); do
        printf 'Simulator%s,127.0.0.1,%s,admin,secret\r\n' "$i" "$((port + i - 1))" \
            >>"$run_dir/Configs/servers.cfg"
        names+=("Simulator$i")
    done
fi
chmod 600 "$run_dir/Configs/servers.cfg"

for ((i = 0; i < servers; i++)); do
    p=$((port + i))
    log="$run_dir/sim.log"
    ((servers == 1)) || log="$run_dir/sim$((i + 1)).log"
    echo "Simulated game server ${names[$i]}: address 127.0.0.1, RAT port $p, user admin, password secret"
    "$sim" --port "$p" --user admin --password secret >"$log" 2>&1 &
    sim_pids+=($!)
    # The console logs in once the sim listens: its first line names the port.
    for _ in $(seq 50); do
        [[ -s "$log" ]] && break
        kill -0 "${sim_pids[$i]}" 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
done
args=(--dir "$run_dir" --chatbot)
if ((servers == 1)); then
    echo "Console program folder: $run_dir (logs in its day folder); simulator log: $run_dir/sim.log"
else
    echo "Console program folder: $run_dir (logs in Servers/NAME/); simulator logs: $run_dir/sim*.log"
    for name in "${names[@]}"; do args+=(--server "$name"); done
fi
# The console without a window logs in by itself.
[[ " ${args[*]} $* " == *" --headless "* ]] || args+=(--login)
"$console" "${args[@]}" "$@"
