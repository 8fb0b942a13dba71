#!/usr/bin/env bash
# The ChatBot's matching beside a Python regex matcher (one compiled regex per
# banned word), on the same words and lines, in one run.
#
#   bench/chat_vs_python.sh [-b BUILD_DIR] [-p PYTHON_MATCHER] [WORD_COUNT...]
#
# PYTHON_MATCHER is a script that takes the number of words as its argument,
# makes its words and its 45 chat lines from a fixed seed, and prints
# "<n> lines/s". Its words and lines are taken from its own code (everything
# before its timing loop), written to files and handed to
# build/bench/chat_scan_bench, whose BM_MatchLineFromFiles (the matcher alone)
# and BM_ChatReplyFromFiles (a whole "chat get" reply) then run on them; the
# Python matcher runs right before, on the same machine. Word counts default
# to 10 100 1000 10000.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
python_matcher=${PYTHON_MATCHER:-/work/shared/reference/regex_chat_matcher.py}
while getopts "b:p:" opt; do
    case $opt in
        b) build=$OPTARG ;;
        p) python_matcher=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(10 100 1000 10000)

bench=$build/bench/chat_scan_bench
[ -x "$bench" ] || { echo "no $bench: build the chat_scan_bench target first" >&2; exit 1; }
[ -f "$python_matcher" ] || { echo "no Python matcher at $python_matcher (-p)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes the matcher's words as banned-word records (a rule wrapped in \s is
# a whole word) and its lines, and prints how many lines its own match()
# catches.
export_input() {
    python3 - "$python_matcher" "$1" "$work/words" "$work/lines" <<'PY'
import sys
path, count, words_file, lines_file = sys.argv[1:]
source = open(path, encoding="utf-8").read()
setup, sep, _ = source.partition("\nt0 = ")
if not sep:
    sys.exit("cannot find the timing loop (t0 = ...) in " + path)
sys.argv = [path, count]
space = {"__name__": "matcher"}
exec(compile(setup, path, "exec"), space)
words, rules, lines = space["words"], space["rules"], space["lines"]
with open(words_file, "w", encoding="latin-1", newline="\n") as out:
    for word, rule in zip(words, rules):
        whole = "1" if rule.pattern.startswith("\\s") else "0"
        out.write(whole + "\\" + word + "\\W\\[1 PPts]\\0\\\n")
with open(lines_file, "w", encoding="latin-1", newline="\n") as out:
    for line in lines:
        out.write(line + "\n")
print(sum(1 for line in lines if space["match"](line) >= 0))
PY
}

# Prints "<match lines/s> <reply lines/s> <caught>" from the benchmark's JSON.
run_bench() {
    TAVRIN_CHAT_WORDS=$work/words TAVRIN_CHAT_LINES=$work/lines \
        "$bench" --benchmark_filter='FromFiles' --benchmark_min_time=1 \
        --benchmark_format=json 2>/dev/null |
        python3 -c '
import json, sys
runs = {b["name"]: b for b in json.load(sys.stdin)["benchmarks"]}
match, reply = runs["BM_MatchLineFromFiles"], runs["BM_ChatReplyFromFiles"]
print("%.0f %.0f %d" % (match["items_per_second"], reply["items_per_second"], match["caught"]))'
}

printf '%-7s %16s %18s %8s %18s %8s %12s\n' words "python lines/s" "C++ match lines/s" "x py" \
    "C++ reply lines/s" "x py" "caught py/C++"
for n in "${counts[@]}"; do
    caught_py=$(export_input "$n")
    py=$(python3 "$python_matcher" "$n" | sed -n 's/.*: \([0-9.]*\) lines\/s.*/\1/p')
    read -r match reply caught_cpp < <(run_bench)
    python3 -c '
import sys
n, py, match, reply, cpy, ccpp = sys.argv[1:]
py, match, reply = float(py), float(match), float(reply)
print("%-7s %16.0f %18.0f %7.1fx %18.0f %7.1fx %12s" %
      (n, py, match, match / py, reply, reply / py, cpy + "/" + ccpp))' \
        "$n" "$py" "$match" "$reply" "$caught_py" "$caught_cpp"
done
