#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $BUILD_DIR).
# Extra arguments go to cmake. $BUILD_TARGETS, when set, names the only
# targets to build (the programs a script runs), instead of everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
