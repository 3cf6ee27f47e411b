#!/usr/bin/env bash
# The first search of the day: ferrolux-search against ripgrep (its default
# threads and -j8) with the page cache dropped before every run (cold) and
# with the files in memory (warm), on the benchmark corpus and, with
# --large, on a tree of 1,000,000 small files and one of 100,000 folders.
# Each round runs every command once, in turn; the table gives the median
# wall time with the spread (min-max), the peak memory, and the ratios.
#
# Usage: bench/disk-bench.sh [--cold | --warm] [--large | --large-only] [--runs N]
#                            [--patterns LETTERS] [--corpus DIR] [--build DIR]
#                            [--large-patterns LETTERS] [--baseline-build DIR]
#                            [--threads N]
#   --cold / --warm       only that mode (default: both)
#   --large               also the two large trees (built in /tmp/ferrolux-large
#                         by bench/make-large-trees.py if missing: about 5 GB)
#   --large-only          the two large trees, not the corpus
#   --runs N              rounds per pattern and mode (default 5)
#   --patterns LETTERS    corpus patterns (default acf)
#   --large-patterns L    the large trees' patterns (default ac)
#   --baseline-build DIR  an earlier build, run in the same rounds
#   --threads N           ferrolux-search -j N as well (and the baseline's)
# The cold mode drops the page cache (sync; echo 3 > /proc/sys/vm/drop_caches),
# which needs root: without it the mode says so and is skipped. Dropping the
# cache slows everything else on the machine for a moment.
# Needs: rg, python3, /usr/bin/time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shared=$(cd "$top/../shared/bench" 2>/dev/null && pwd || true)
modes="cold warm" large=0 runs=5 patterns=acf largePatterns=ac corpus=/tmp/ferrolux-corpus
build=$top/build baseline= threads=
while [ $# -gt 0 ]; do
    case $1 in
        --cold) modes=cold; shift;;
        --warm) modes=warm; shift;;
        --large) large=1; shift;;
        --large-only) large=2; shift;;
        --runs) runs=$2; shift 2;;
        --patterns) patterns=$2; shift 2;;
        --large-patterns) largePatterns=$2; shift 2;;
        --corpus) corpus=$2; shift 2;;
        --build) build=$(cd "$2" && pwd); shift 2;;
        --baseline-build) baseline=$(cd "$2" && pwd); shift 2;;
        --threads) threads=$2; shift 2;;
        -h|--help) sed -n '2,25p' "$0"; exit 0;;
        *) echo "disk-bench.sh: unknown argument $1" >&2; exit 2;;
    esac
done
exe=$build/tools/ferrolux-search/ferrolux-search
[ -x "$exe" ] || { echo "disk-bench.sh: build ferrolux-search first ($exe)" >&2; exit 2; }
if [ ! -f "$corpus.expected.tsv" ]; then
    [ -n "$shared" ] || { echo "disk-bench.sh: ../shared/bench not found" >&2; exit 2; }
    "$shared/make-corpus" "$corpus"
fi
if [[ $modes == *cold* ]] && ! { sync && echo 3 > /proc/sys/vm/drop_caches; } 2>/dev/null; then
    echo "== cold mode skipped: the page cache cannot be dropped here (needs root)"
    modes=${modes/cold/}
fi
[ -n "${modes// /}" ] || exit 0
trees=("$corpus")
[ $large = 2 ] && trees=()
if [ $large != 0 ]; then
    python3 "$top/bench/make-large-trees.py" /tmp/ferrolux-large
    trees+=(/tmp/ferrolux-large/files-1m /tmp/ferrolux-large/folders-100k)
fi
out=$(mktemp -d /tmp/ferrolux-disk-bench.XXXXXX)
echo "== results in $out; $(nproc) CPUs; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

pattern_of() { # the corpus's patterns, case-sensitive, as run-bench.sh has them
    case $1 in
        a) P='Zyxquorbl' R=;; c) P='the' R=;; d) P='err[a-z]+ code [0-9]+' R=;;
        e) P='int' R=-w;; f) P='TODO|FIXME|deprecated' R=;; b) P='Zyxquorbl' R=-i;;
    esac
}
ferrolux_flags() { case $1 in b) echo "";; e) echo "--case-sensitive -w";; *) echo --case-sensitive;; esac; }

for tree in "${trees[@]}"; do
    letters=$patterns
    [ "$tree" = "$corpus" ] || letters=$largePatterns
    for mode in $modes; do
        for (( i = 0; i < ${#letters}; i++ )); do
            p=${letters:$i:1}
            pattern_of "$p"
            names=(ferrolux) cmds=("$exe -r $(ferrolux_flags "$p")")
            if [ -n "$threads" ]; then
                names+=("ferrolux-j$threads") cmds+=("$exe -r -j $threads $(ferrolux_flags "$p")")
            fi
            if [ -n "$baseline" ]; then
                old=$baseline/tools/ferrolux-search/ferrolux-search
                names+=(baseline) cmds+=("$old -r $(ferrolux_flags "$p")")
                if [ -n "$threads" ]; then
                    names+=("baseline-j$threads")
                    cmds+=("$old -r -j $threads $(ferrolux_flags "$p")")
                fi
            fi
            names+=(rg rg-j8)
            cmds+=("rg --no-config -c -a --no-ignore --hidden $R -e"
                   "rg --no-config -j8 -c -a --no-ignore --hidden $R -e")
            log=$out/$(basename "$tree").$mode.$p
            : > "$log"
            if [ "$mode" = warm ]; then # one pass to bring the tree into memory
                for cmd in "${cmds[@]}"; do $cmd "$P" "$tree" > /dev/null 2>&1 || true; done
            fi
            for round in $(seq "$runs"); do
                for i2 in "${!cmds[@]}"; do
                    if [ "$mode" = cold ]; then sync; echo 3 > /proc/sys/vm/drop_caches; fi
                    /usr/bin/time -f '%e %M' -o "$out/time" ${cmds[$i2]} "$P" "$tree" \
                        > "$out/rows" 2>/dev/null || true
                    echo "${names[$i2]} $(tail -n 1 "$out/time") $(wc -l < "$out/rows")" >> "$log"
                done
            done
            echo "== $(basename "$tree"), $mode, pattern $p ($P), $runs rounds"
            python3 - "$log" "${names[@]}" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
names = sys.argv[2:]
seconds = {n: [float(r[1]) for r in rows if r[0] == n] for n in names}
kib = {n: [int(r[2]) for r in rows if r[0] == n] for n in names}
files = {n: sorted({int(r[3]) for r in rows if r[0] == n}) for n in names}
for n in names:
    s = seconds[n]
    print("  %-14s %7.3f s (%.3f-%.3f)  peak %6.1f MiB  files with matches %s"
          % (n, statistics.median(s), min(s), max(s), statistics.median(kib[n]) / 1024,
             ",".join(map(str, files[n]))))


def ratio(a, b):  # median of the rounds' ratios, with their spread
    pairs = [x / y for x, y in zip(seconds[a], seconds[b]) if y]
    if not pairs:
        return "%s / %s n/a" % (a, b)
    return "%s / %s %.2f (%.2f-%.2f)" % (a, b, statistics.median(pairs), min(pairs), max(pairs))


for ours in [n for n in names if n.startswith("ferrolux")]:
    versus = ["rg", "rg-j8", ours.replace("ferrolux", "baseline")]
    print("  " + "; ".join(ratio(ours, n) for n in versus if n in names))
memory = statistics.median(kib["ferrolux"]) / statistics.median(kib["rg"])
print("  peak memory ferrolux / rg %.2f" % memory)
PY
        done
    done
done
