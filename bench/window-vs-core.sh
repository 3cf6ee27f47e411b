#!/usr/bin/env bash
# Times a search started from the main window (offscreen) against
# ferrolux-search with the same options on the benchmark corpus, and prints
# the window/core ratio per pattern (target: at most 1.1).
#
# Usage: bench/window-vs-core.sh [--corpus DIR] [--runs N] [--build DIR] [PATTERN-ID...]
#   --corpus DIR   the corpus (default /tmp/ferrolux-corpus, built by run-bench.sh)
#   --runs N       timed runs per command, after one warm-up run (default 3)
#   --build DIR    Ferrolux build directory (default: build)
#   PATTERN-ID     a to f as in run-bench.sh (default: all)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=/tmp/ferrolux-corpus runs=3 build=$top/build ids=()
while [ $# -gt 0 ]; do
    case $1 in
        --corpus) corpus=$2; shift 2;;
        --runs) runs=$2; shift 2;;
        --build) build=$(cd "$2" && pwd); shift 2;;
        -h|--help) sed -n '2,11p' "$0"; exit 0;;
        *) ids+=("$1"); shift;;
    esac
done
[ ${#ids[@]} -gt 0 ] || ids=(a b c d e f)
core=$build/tools/ferrolux-search/ferrolux-search
window=$build/bench/window/ferrolux-window-bench
for exe in "$core" "$window"; do
    [ -x "$exe" ] || { echo "window-vs-core.sh: build $exe first" >&2; exit 2; }
done
[ -d "$corpus" ] || { echo "window-vs-core.sh: no corpus at $corpus" >&2; exit 2; }

# Pattern id -> options shared by both programs, then the pattern.
case_flag() { [ "$1" = b ] || echo yes; }
pattern_of() {
    case $1 in
        a|b) echo Zyxquorbl;; c) echo the;; d) echo 'err[a-z]+ code [0-9]+';;
        e) echo int;; f) echo 'TODO|FIXME|deprecated';;
    esac
}

# Median wall time, in seconds, of runs of a command (after one warm-up).
median_time() {
    python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, cmd = int(sys.argv[1]), sys.argv[2:]
def once():
    start = time.monotonic()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start
once()
print("%.3f" % statistics.median(once() for _ in range(runs)))
PY
}

export QT_QPA_PLATFORM=offscreen
store=$(mktemp /tmp/ferrolux-bench-store.XXXXXX)
trap 'rm -f "$store"' EXIT
export FERROLUX_REGISTRY=$store
printf '%-3s %10s %10s %7s\n' id core_s window_s ratio
for id in "${ids[@]}"; do
    pattern=$(pattern_of "$id")
    core_args=(-r) window_args=(-r)
    if [ -n "$(case_flag "$id")" ]; then core_args+=(--case-sensitive); window_args+=(-c); fi
    if [ "$id" = e ]; then core_args+=(-w); window_args+=(-w); fi
    c=$(median_time "$core" "${core_args[@]}" "$pattern" "$corpus")
    w=$(median_time "$window" "${window_args[@]}" "$pattern" "$corpus")
    printf '%-3s %10s %10s %7.2f\n' "$id" "$c" "$w" "$(python3 -c "print($w/$c)")"
done
