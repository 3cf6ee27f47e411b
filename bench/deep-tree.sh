#!/usr/bin/env bash
# Time and peak memory of a search through a chain of nested folders (one
# file at the bottom) against GNU grep and ripgrep, interleaved: each round
# runs every command once, in turn.
#
# Usage: bench/deep-tree.sh [--levels N,N...] [--runs N] [--build DIR]
#                           [--baseline-build DIR] [--keep]
#   --levels N,N...       depths to measure (default 5000,20000)
#   --runs N              rounds per depth (default 3)
#   --build DIR           Ferrolux build directory (default: build)
#   --baseline-build DIR  an earlier build, measured in the same rounds
#   --keep                leave the trees in /tmp/ferrolux-deep for another run
# Needs: rg, GNU grep, /usr/bin/time, python3.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
levels=5000,20000 runs=3 build=$top/build baseline= keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --levels) levels=$2; shift 2;;
        --runs) runs=$2; shift 2;;
        --build) build=$(cd "$2" && pwd); shift 2;;
        --baseline-build) baseline=$(cd "$2" && pwd); shift 2;;
        --keep) keep=1; shift;;
        -h|--help) sed -n '2,13p' "$0"; exit 0;;
        *) echo "deep-tree.sh: unknown argument $1" >&2; exit 2;;
    esac
done
exe=$build/tools/ferrolux-search/ferrolux-search
[ -x "$exe" ] || { echo "deep-tree.sh: build ferrolux-search first ($exe)" >&2; exit 2; }
root=/tmp/ferrolux-deep
[ $keep = 1 ] || trap 'rm -rf "$root"' EXIT
mkdir -p "$root"

make_chain() { # depth: folders named "d", one file at the bottom
    [ -f "$root/$1.done" ] && return
    rm -rf "$root/$1"
    python3 - "$root/$1" "$1" <<'PY'
import os, sys
os.mkdir(sys.argv[1])
fd = os.open(sys.argv[1], os.O_RDONLY)
for _ in range(int(sys.argv[2])):
    os.mkdir("d", dir_fd=fd)
    deeper = os.open("d", os.O_RDONLY, dir_fd=fd)
    os.close(fd)
    fd = deeper
out = os.open("bottom.txt", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd)
os.write(out, b"needle\n")
os.close(out)
PY
    touch "$root/$1.done"
}

echo "== $(nproc) CPUs; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for depth in ${levels//,/ }; do
    make_chain "$depth"
    tree=$root/$depth
    names=(ferrolux) cmds=("$exe -r needle $tree")
    if [ -n "$baseline" ]; then
        names+=(baseline) cmds+=("$baseline/tools/ferrolux-search/ferrolux-search -r needle $tree")
    fi
    names+=(grep rg) cmds+=("grep -r -c needle $tree" "rg --no-config -c needle $tree")
    : > "$root/times"
    for round in $(seq "$runs"); do
        for i in "${!cmds[@]}"; do
            /usr/bin/time -f '%e %M' -o "$root/time" ${cmds[$i]} > "$root/out" 2>/dev/null || true
            grep -q bottom.txt "$root/out" || echo "  ${names[$i]}: the bottom file was not found" >&2
            echo "${names[$i]} $(tail -n 1 "$root/time")" >> "$root/times"
        done
    done
    echo "== $depth nested folders, $runs rounds"
    python3 - "$root/times" "${names[@]}" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
seconds = {n: [float(r[1]) for r in rows if r[0] == n] for n in sys.argv[2:]}
kib = {n: [int(r[2]) for r in rows if r[0] == n] for n in sys.argv[2:]}
fl = statistics.median(seconds["ferrolux"])
fm = statistics.median(kib["ferrolux"])
for n in sys.argv[2:]:
    s, m = statistics.median(seconds[n]), statistics.median(kib[n])
    print("  %-9s median %8.2f s (%.2f-%.2f)  peak %8.1f MiB   ferrolux / this: time %5.2f, memory %5.2f"
          % (n, s, min(seconds[n]), max(seconds[n]), m / 1024, fl / s if s else 0, fm / m))
PY
done
