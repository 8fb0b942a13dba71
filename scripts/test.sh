#!/usr/bin/env bash
# Checks the includes, installs what is missing, builds everything and runs
# every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/check-includes.sh"
"$root/scripts/install-deps.sh"
BUILD_DIR=${BUILD_DIR:-$root/build} "$root/scripts/build.sh" -DTAVRIN_WERROR=ON "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc)" --timeout 300
