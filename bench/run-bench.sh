#!/usr/bin/env bash
# Times ferrolux-search against GNU grep, ripgrep and ugrep on the shared
# benchmark corpus, in one run, and prints the ratios.
#
# Usage: bench/run-bench.sh [--small] [--corpus DIR] [--runs N] [--build DIR] [--skip-peers]
#   --corpus DIR   use (or build, if missing) the corpus at DIR
#                  (default: /tmp/ferrolux-corpus, or -small with --small)
#   --runs N       timed runs per command (default 5)
#   --build DIR    Ferrolux build directory (default: build)
#   --skip-peers   time only Ferrolux (ratios need the peers)
# Needs: hyperfine, python3; grep, rg and ugrep for the peers
# (apt-get install hyperfine ripgrep ugrep).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shared=$(cd "$top/../shared/bench" 2>/dev/null && pwd || true)
small=0 corpus= runs=5 build=$top/build peers=1
while [ $# -gt 0 ]; do
    case $1 in
        --small) small=1; shift;;
        --corpus) corpus=$2; shift 2;;
        --runs) runs=$2; shift 2;;
        --build) build=$(cd "$2" && pwd); shift 2;;
        --skip-peers) peers=0; shift;;
        -h|--help) sed -n '2,13p' "$0"; exit 0;;
        *) echo "run-bench.sh: unknown argument $1" >&2; exit 2;;
    esac
done
[ -n "$shared" ] || { echo "run-bench.sh: ../shared/bench not found" >&2; exit 2; }
[ -n "$corpus" ] || corpus=/tmp/ferrolux-corpus$([ $small = 1 ] && echo -small || true)
exe=$build/tools/ferrolux-search/ferrolux-search
[ -x "$exe" ] || { echo "run-bench.sh: build ferrolux-search first ($exe)" >&2; exit 2; }

if [ ! -f "$corpus.expected.tsv" ]; then
    echo "== building the corpus at $corpus"
    "$shared/make-corpus" $([ $small = 1 ] && echo --small || true) "$corpus"
fi
corpus=$(cd "$corpus" && pwd)
out=$(mktemp -d /tmp/ferrolux-bench.XXXXXX)
echo "== results in $out"

if [ $peers = 1 ]; then
    echo "== peers (GNU grep, ripgrep, ugrep)"
    "$shared/peers.sh" -r "$runs" -w 1 --no-extras -o "$out/peers" "$corpus" | tail -n 12
fi

# Pattern id -> ferrolux-search arguments (same work as the peers: every file,
# subdirectories included, counts per file).
args_of() {
    case $1 in
        a) echo "--case-sensitive Zyxquorbl";;
        b) echo "Zyxquorbl";;
        c) echo "--case-sensitive the";;
        d) echo "--case-sensitive err[a-z]+ code [0-9]+";;
        e) echo "--case-sensitive -w int";;
        f) echo "--case-sensitive TODO|FIXME|deprecated";;
    esac
}

echo "== ferrolux-search"
mkdir -p "$out/ferrolux"
for p in a b c d e f; do
    case $p in
        d) cmd=("$exe" -r --case-sensitive 'err[a-z]+ code [0-9]+' "$corpus");;
        *) cmd=("$exe" -r $(args_of $p) "$corpus");;
    esac
    printf -v line '%q ' "${cmd[@]}"
    hyperfine --style none -i --runs "$runs" --warmup 1 \
        --export-json "$out/ferrolux/$p.json" "$line > $out/ferrolux/$p.out 2>/dev/null" \
        > /dev/null
    python3 "$top/bench/check-text-counts.py" "$corpus" "$p" "$out/ferrolux/$p.out" \
        > "$out/ferrolux/$p.check"
    python3 - "$out/ferrolux/$p.json" "$p" "$(cat "$out/ferrolux/$p.check")" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
print("  %s median %7.3f s  (min %.3f)  %s" % (sys.argv[2], r["median"], r["min"], sys.argv[3]))
PY
done

window=$build/bench/window/ferrolux-window-bench
if [ -x "$window" ]; then
    echo "== search from the main window (offscreen)"
    store=$(mktemp /tmp/ferrolux-bench-store.XXXXXX)
    for p in a b c d e f; do
        case $p in
            a) w=(-r -c Zyxquorbl);; b) w=(-r Zyxquorbl);; c) w=(-r -c the);;
            d) w=(-r -c 'err[a-z]+ code [0-9]+');; e) w=(-r -c -w int);;
            f) w=(-r -c 'TODO|FIXME|deprecated');;
        esac
        printf -v line '%q ' "$window" "${w[@]}" "$corpus"
        QT_QPA_PLATFORM=offscreen FERROLUX_REGISTRY=$store \
            hyperfine --style none -i --runs "$runs" --warmup 1 \
            --export-json "$out/ferrolux/window-$p.json" "$line" > /dev/null
    done
    rm -f "$store"
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
