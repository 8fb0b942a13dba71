#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Usage: install-deps.sh [--fuzz | --format | --service]   (--fuzz adds clang
# for the fuzz targets, --format clang-format for the layout check, --service
# systemd-analyze and the .deb tools for the service checks)
set -euo pipefail

# qt6-base-dev brings Qt Widgets, Qt Test and the offscreen platform plugin the
# view tests run on; fonts-dejavu-core gives the log viewers a fixed-pitch font
# wherever Courier New is missing; ccache keeps rebuilds of unchanged sources
# short; libsystemd-dev lets the manager tell a service manager that it is
# ready, what it is doing, and that it lives. The history is kept through Qt
# SQL and its SQLite and PostgreSQL drivers; postgresql gives the tests a
# server of their own (they start it themselves).
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core ccache libsystemd-dev
          libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql postgresql)
if [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang libclang-rt-dev)
elif [[ "${1:-}" == "--format" ]]; then
    packages=(clang-format)
elif [[ "${1:-}" == "--service" ]]; then
    packages=(systemd dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "Missing packages and neither root nor sudo: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq || true
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
