#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $BUILD_DIR).
# Extra arguments go to cmake. $BUILD_TARGETS, when set, names the only
# targets to build (the programs a script runs), instead of everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# Where ccache is installed, compilations go through it. Paths are taken
# relative to the source tree, so a fresh clone at another path reuses what an
# earlier build of the same sources compiled.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
