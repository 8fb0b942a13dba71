#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the simulated game
# server on loopback with a known account, ready for a console to log in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
sim="$root/build/tools/sim/tavrinrat-sim"
port=${TAVRIN_PORT:-7000}
echo "Simulated game server: address 127.0.0.1, RAT port $port, user admin, password secret"
echo "Type 'help' for the simulator's fault controls; Ctrl-C ends it."
exec "$sim" --port "$port" --user admin --password secret
