#!/usr/bin/env bash
# The manager's service unit and its package: `systemd-analyze verify` passes,
# `systemd-analyze security` rates the unit at most 2.5, and the .deb holds the
# unit and maintainer scripts that make the system user (checked by running
# the postinst against stand-ins for the commands it calls).
# Usage: check-service.sh  (BUILD_DIR: a configured build, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
unit="$root/packaging/tavrinrat-manager@.service"
max_exposure=2.5

"$root/scripts/install-deps.sh" --service
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "-- systemd-analyze verify"
cmake --build "$build" --target tavrinrat >/dev/null
# verify wants the commands to exist: the build's program stands in for the
# installed one.
mkdir -p "$tmp/unit"
sed "s|^\(Exec[A-Za-z]*=\)tavrinrat |\1$build/tavrinrat |" "$unit" >"$tmp/unit/tavrinrat-manager@.service"
systemd-analyze verify "$tmp/unit/tavrinrat-manager@.service"

echo "-- systemd-analyze security"
systemd-analyze security --offline=yes "$unit" >"$tmp/security.txt" 2>&1 || true
level=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' "$tmp/security.txt")
if [[ -z "$level" ]]; then
    cat "$tmp/security.txt"
    echo "no exposure level" >&2
    exit 1
fi
echo "exposure $level (at most $max_exposure)"
awk -v l="$level" -v m="$max_exposure" 'BEGIN { exit !(l <= m) }' || {
    grep '✗' "$tmp/security.txt" || true
    exit 1
}

echo "-- the Debian package"
(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null)
deb=$(ls "$tmp"/deb/*.deb)
dpkg-deb -c "$deb" >"$tmp/contents"
grep -q ' \./usr/lib/systemd/system/tavrinrat-manager@\.service$' "$tmp/contents" || {
    echo "the package lacks the unit" >&2
    exit 1
}
dpkg-deb -e "$deb" "$tmp/control"
for script in postinst prerm postrm; do
    [[ -x "$tmp/control/$script" ]] || { echo "no executable $script" >&2; exit 1; }
    sh -n "$tmp/control/$script"
done
# The postinst against stand-ins that record their calls: a missing user is
# made a system user once, an existing one is left alone.
mkdir -p "$tmp/bin"
for command in useradd systemctl; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$command" "$tmp" >"$tmp/bin/$command"
done
printf '#!/bin/sh\n[ -e "%s/user" ]\n' "$tmp" >"$tmp/bin/getent"
chmod +x "$tmp"/bin/*
PATH="$tmp/bin:$PATH" sh "$tmp/control/postinst" configure
grep -q '^useradd --system --user-group .* tavrinrat$' "$tmp/calls" || {
    cat "$tmp/calls" >&2
    echo "postinst did not make the system user" >&2
    exit 1
}
: >"$tmp/calls"
touch "$tmp/user"
PATH="$tmp/bin:$PATH" sh "$tmp/control/postinst" configure
if grep -q useradd "$tmp/calls"; then
    echo "postinst made the user again" >&2
    exit 1
fi
echo "service checks passed"
