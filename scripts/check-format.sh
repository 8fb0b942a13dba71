#!/usr/bin/env bash
# Checks that every C++ file keeps the layout .clang-format describes and
# lists each one that does not, with the first lines clang-format would
# change. Exit status 1 when anything is listed. `--fix` rewrites them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" --format

fix=0
[[ "${1:-}" == "--fix" ]] && fix=1
failures=0
while IFS= read -r file; do
    if (( fix )); then
        clang-format -i "$file"
    elif ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
        echo "not formatted: $file" >&2
        clang-format "$file" | diff -u "$file" - | head -20 >&2 || true
        failures=$((failures + 1))
    fi
done < <(git ls-files '*.cpp' '*.h')
if (( failures )); then
    echo "$failures file(s) deviate from .clang-format; scripts/check-format.sh --fix rewrites them" >&2
    exit 1
fi
