#!/usr/bin/env bash
# Checks that the includes under src/ keep to the layers and the declared
# dependencies, and lists every include that does not:
# - a Qt header (<Q...>) only in a qt/ or ui/ folder;
# - a core file includes no shell or views header (*/qt/*, */ui/*), and a
#   shell file no views header;
# - a file of src/<folder>/ includes headers of its own folder, of common/,
#   and of the folders named in the `set(TAVRIN_DEPS ...)` line of
#   src/<folder>/CMakeLists.txt, nothing of another subsystem.
# Every folder of src/ has a CMakeLists.txt and is added by the top one.
# Exit status 1 when anything is listed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

subsystems=()
for dir in src/*/; do
    subsystems+=("$(basename "$dir")")
done

# The folders named in a folder's TAVRIN_DEPS line, blank-separated.
declared_deps() {
    local cmake="src/$1/CMakeLists.txt"
    [[ -f "$cmake" ]] || return 0
    # The line may be split over several until its closing parenthesis.
    tr '\n' ' ' <"$cmake" | { grep -o 'set( *TAVRIN_DEPS[^)]*)' || true; } | head -1 |
        sed 's/set( *TAVRIN_DEPS//; s/)//'
}

declare -A deps
for sub in "${subsystems[@]}"; do
    if [[ ! -f "src/$sub/CMakeLists.txt" ]]; then
        fail "src/$sub/: no CMakeLists.txt"
    elif ! grep -q "^ *add_subdirectory(src/$sub)" CMakeLists.txt; then
        fail "src/$sub/: not added by the top CMakeLists.txt"
    fi
    deps[$sub]=" $(declared_deps "$sub" | tr -s ' \t' '  ') "
done

is_subsystem() {
    local s
    for s in "${subsystems[@]}"; do [[ "$s" == "$1" ]] && return 0; done
    return 1
}

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
while IFS= read -r -d '' file; do
    rel=${file#src/}
    sub=${rel%%/*}
    [[ "$sub" == "$rel" ]] && sub=""  # a file directly in src/
    case "/$rel" in
        */ui/*) layer=views ;;
        */qt/*) layer=shell ;;
        */bin/*) layer=program ;;
        *) layer=core ;;
    esac
    while IFS= read -r found; do
        lineno=${found%%:*}
        line=${found#*:}
        [[ "$line" =~ $include_re ]] || continue
        bracket=${BASH_REMATCH[1]}
        header=${BASH_REMATCH[2]}
        written=${BASH_REMATCH[0]}
        where="$file:$lineno: ${written#"${written%%#*}"}"
        if [[ "$bracket" == "<" && "$header" == Q* && "$layer" != shell && "$layer" != views ]]; then
            fail "$where: a Qt header outside qt/ and ui/"
            continue
        fi
        if [[ "/$header" == */ui/* && "$layer" != views && "$layer" != program ]]; then
            fail "$where: a views header in the $layer"
        elif [[ "/$header" == */qt/* && "$layer" == core ]]; then
            fail "$where: a shell header in the core"
        fi
        target=${header%%/*}
        [[ "$target" == "$header" || -z "$sub" ]] && continue
        [[ "$target" == "$sub" || "$target" == common ]] && continue
        is_subsystem "$target" || continue
        if [[ "${deps[$sub]}" != *" $target "* ]]; then
            fail "$where: $sub does not depend on $target (TAVRIN_DEPS in src/$sub/CMakeLists.txt)"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find src -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 | sort -z)

if ((failures > 0)); then
    echo "check-includes: $failures offending include(s) or folder(s)" >&2
    exit 1
fi
echo "check-includes: src/ keeps to its layers and declared dependencies"
