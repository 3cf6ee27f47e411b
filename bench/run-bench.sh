#!/usr/bin/env bash
# Times ferrolux-search against GNU grep and ripgrep on the shared benchmark
# corpus, side by side in one run, and prints the ratios.
#
# Usage: bench/run-bench.sh [--small] [--corpus DIR] [--runs N] [--build DIR]
#                           [--baseline-build DIR] [--all-peers] [--no-window]
#   --corpus DIR          use (or build, if missing) the corpus at DIR
#                         (default: /tmp/ferrolux-corpus, or -small with --small)
#   --runs N              timed runs per command (default 5)
#   --build DIR           Ferrolux build directory (default: build)
#   --baseline-build DIR  an earlier build, timed with every pattern (default
#                         threads and -j 1) and with one without a required
#                         literal (^[a-z]+$)
#   --all-peers           also run ../shared/bench/peers.sh (ugrep, limits)
#   --no-window           leave out the search from the main window
# For each pattern one hyperfine run times, in turn: ferrolux-search with its
# default threads and with -j 1, rg with its default threads, rg -j1 and GNU
# grep (C locale), then the search from the main window (offscreen) with the
# default threads. Ferrolux's text-file counts are checked against the
# corpus's expected counts, and -j 1 must print exactly what the default does.
# Needs: hyperfine, python3, rg, grep (apt-get install hyperfine ripgrep).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shared=$(cd "$top/../shared/bench" 2>/dev/null && pwd || true)
small=0 corpus= runs=5 build=$top/build baseline= allPeers=0 window=1
while [ $# -gt 0 ]; do
    case $1 in
        --small) small=1; shift;;
        --corpus) corpus=$2; shift 2;;
        --runs) runs=$2; shift 2;;
        --build) build=$(cd "$2" && pwd); shift 2;;
        --baseline-build) baseline=$(cd "$2" && pwd); shift 2;;
        --all-peers) allPeers=1; shift;;
        --no-window) window=0; shift;;
        -h|--help) sed -n '2,22p' "$0"; exit 0;;
        *) echo "run-bench.sh: unknown argument $1" >&2; exit 2;;
    esac
done
[ -n "$shared" ] || { echo "run-bench.sh: ../shared/bench not found" >&2; exit 2; }
[ -n "$corpus" ] || corpus=/tmp/ferrolux-corpus$([ $small = 1 ] && echo -small || true)
exe=$build/tools/ferrolux-search/ferrolux-search
[ -x "$exe" ] || { echo "run-bench.sh: build ferrolux-search first ($exe)" >&2; exit 2; }
windowExe=$build/bench/window/ferrolux-window-bench
[ -x "$windowExe" ] || window=0

if [ ! -f "$corpus.expected.tsv" ]; then
    echo "== building the corpus at $corpus"
    "$shared/make-corpus" $([ $small = 1 ] && echo --small || true) "$corpus"
fi
corpus=$(cd "$corpus" && pwd)
out=$(mktemp -d /tmp/ferrolux-bench.XXXXXX)
mkdir -p "$out/json" "$out/out"
store=$(mktemp /tmp/ferrolux-bench-store.XXXXXX)
trap 'rm -f "$store"' EXIT
echo "== results in $out"
echo "== $(nproc) CPUs; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)" |
    tee "$out/header.txt"
find "$corpus" -type f -exec cat {} + > /dev/null # warm the page cache

if [ $allPeers = 1 ]; then
    echo "== peers.sh (GNU grep, ripgrep, ugrep, limits)"
    "$shared/peers.sh" -r "$runs" -w 1 --no-extras -o "$out/peers" "$corpus" | tail -n 12
fi

# Pattern id -> pattern, then the case flags of Ferrolux, rg and grep.
pattern_of() {
    case $1 in
        a) P='Zyxquorbl' F=--case-sensitive R= G=;;
        b) P='Zyxquorbl' F= R=-i G=-i;;
        c) P='the' F=--case-sensitive R= G=;;
        d) P='err[a-z]+ code [0-9]+' F=--case-sensitive R= G=-E;;
        e) P='int' F='--case-sensitive -w' R=-w G=-w;;
        f) P='TODO|FIXME|deprecated' F=--case-sensitive R= G=-E;;
    esac
}
window_flags() { # the same search from the main window
    case $1 in b) echo -r;; e) echo -r -c -w;; *) echo -r -c;; esac
}

q() { printf '%q ' "$@"; }
qc=$(q "$corpus")
for p in a b c d e f; do
    pattern_of $p
    qp=$(q "$P")
    o=$out/out
    cmds=(
        "$(q "$exe") -r $F $qp $qc > $o/ferrolux.$p 2>/dev/null"
        "$(q "$exe") -r -j 1 $F $qp $qc > $o/ferrolux-j1.$p 2>/dev/null"
        "rg --no-config -c -a --no-ignore --hidden $R -e $qp $qc > $o/rg.$p"
        "rg --no-config -j1 -c -a --no-ignore --hidden $R -e $qp $qc > $o/rg1.$p"
        "LC_ALL=C grep -r -c -a $G -e $qp $qc > $o/grep.$p"
    )
    names=(ferrolux ferrolux-j1 rg rg1 grep)
    if [ $window = 1 ]; then
        cmds+=("env QT_QPA_PLATFORM=offscreen FERROLUX_REGISTRY=$(q "$store") $(q "$windowExe") $(window_flags $p) $qp $qc > $o/window.$p 2>/dev/null")
        names+=(window)
    fi
    if [ -n "$baseline" ]; then
        old=$baseline/tools/ferrolux-search/ferrolux-search
        cmds+=("$(q "$old") -r $F $qp $qc > $o/baseline.$p 2>/dev/null"
               "$(q "$old") -r -j 1 $F $qp $qc > $o/baseline-j1.$p 2>/dev/null")
        names+=(baseline baseline-j1)
    fi
    echo "${names[*]}" > "$out/json/$p.names"
    echo "== pattern $p: $P"
    hyperfine --style none -i --runs "$runs" --warmup 1 --export-json "$out/json/$p.json" \
        "${cmds[@]}" > /dev/null
    python3 - "$out/json/$p.json" "${names[@]}" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
for name, r in zip(sys.argv[2:], results):
    print("  %-12s median %7.3f s  (min %.3f, user %.3f, system %.3f)"
          % (name, r["median"], r["min"], r["user"], r["system"]))
PY
    for v in ferrolux ferrolux-j1; do
        python3 "$top/bench/check-text-counts.py" "$corpus" "$p" "$o/$v.$p" > "$o/$v.$p.check"
        echo "  $v counts: $(cat "$o/$v.$p.check")"
    done
    cut -f1-5 "$o/ferrolux.$p" > "$o/rows.$p"
    cut -f1-5 "$o/ferrolux-j1.$p" > "$o/rows-j1.$p"
    cmp -s "$o/rows.$p" "$o/rows-j1.$p" && echo "  -j 1 rows: identical" ||
        echo "  -j 1 rows: DIFFERENT (see $o/rows.$p and $o/rows-j1.$p)"
done

if [ $window = 1 ]; then
    # Paired: each search from the window right after ferrolux-search with the
    # same pattern, so that a machine whose speed drifts compares like with like.
    echo "== the window's own search time (press of Search to the summary) against"
    echo "   ferrolux-search run just before it, medians of $runs pairs"
    for p in a b c d e f; do
        pattern_of $p
        for i in $(seq "$runs"); do
            start=$(date +%s%N)
            "$exe" -r $F "$P" "$corpus" > /dev/null 2>&1 || true
            cli=$(( ($(date +%s%N) - start) / 1000 ))
            gui=$(QT_QPA_PLATFORM=offscreen FERROLUX_REGISTRY=$store "$windowExe" \
                $(window_flags $p) "$P" "$corpus" 2>/dev/null | awk '$1 == "elapsed_ms" {print $2}')
            echo "$cli $gui"
        done | python3 -c '
import statistics, sys
pairs = [tuple(map(float, line.split())) for line in sys.stdin if len(line.split()) == 2]
print("%s\t%.3f\t%.3f\t%.2f" % (sys.argv[1], statistics.median(c for c, _ in pairs) / 1e6,
      statistics.median(g for _, g in pairs) / 1e3,
      statistics.median(g * 1e3 / c for c, g in pairs)))' "$p"
    done > "$out/window-search.tsv"
    sed 's/^/  /' "$out/window-search.tsv"
fi

if [ -n "$baseline" ]; then
    old=$baseline/tools/ferrolux-search/ferrolux-search
    echo "== a pattern without a required literal: ^[a-z]+\$ (against $baseline)"
    hyperfine --style none -i --runs "$runs" --warmup 1 --export-json "$out/json/noliteral.json" \
        "$(q "$exe") -r --case-sensitive '^[a-z]+\$' $qc > $out/out/noliteral 2>/dev/null" \
        "$(q "$exe") -r -j 1 --case-sensitive '^[a-z]+\$' $qc > $out/out/noliteral-j1 2>/dev/null" \
        "$(q "$old") -r --case-sensitive '^[a-z]+\$' $qc > $out/out/noliteral-old 2>/dev/null" \
        "$(q "$old") -r -j 1 --case-sensitive '^[a-z]+\$' $qc > /dev/null 2>&1" \
        > /dev/null 2>&1
    cmp -s <(cut -f1-5 "$out/out/noliteral") <(cut -f1-5 "$out/out/noliteral-old") &&
        echo "  rows: the same as the baseline's ($(wc -l < "$out/out/noliteral"))" ||
        echo "  rows: DIFFERENT from the baseline's"
fi

count=$build/bench/grep-count/ferrolux-grep-count
if [ -x "$count" ]; then
    echo "== peak memory counting a 4 GiB file (sparse, so it costs no disk)"
    huge=$(mktemp /tmp/ferrolux-huge.XXXXXX)
    truncate -s 4G "$huge"
    "$count" x "$huge" 2>&1 | tail -n 2 | sed 's/^/  text:   /'
    "$count" -b x "$huge" 2>&1 | tail -n 2 | sed 's/^/  binary: /'
    rm -f "$huge"
fi

python3 "$top/bench/ratios.py" "$out" | tee "$out/ratios.md"
