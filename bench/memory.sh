#!/usr/bin/env bash
# Peak resident memory of ferrolux-search on trees that could make it grow:
# 200,000 files in one folder, a 4 GiB file (sparse: binary, no disk used)
# and a single 2 GiB line; with -j 1 and with the default threads.
#
# Usage: bench/memory.sh [--build DIR] [--keep]
#   --keep   leave the generated trees in /tmp/ferrolux-memory for another run
# Needs about 2.1 GB of free disk in /tmp for the long line.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$(cd "$2" && pwd); shift 2;;
        --keep) keep=1; shift;;
        -h|--help) sed -n '2,8p' "$0"; exit 0;;
        *) echo "memory.sh: unknown argument $1" >&2; exit 2;;
    esac
done
exe=$build/tools/ferrolux-search/ferrolux-search
[ -x "$exe" ] || { echo "memory.sh: build ferrolux-search first ($exe)" >&2; exit 2; }
root=/tmp/ferrolux-memory
[ $keep = 1 ] || trap 'rm -rf "$root"' EXIT
mkdir -p "$root"

if [ ! -f "$root/many.done" ]; then
    echo "== writing 200,000 files into one folder"
    mkdir -p "$root/many"
    python3 - "$root/many" <<'PY'
import os, sys
folder = sys.argv[1]
for i in range(200000):
    with open(os.path.join(folder, "file%06d.txt" % i), "w") as f:
        f.write("a needle\n" if i % 100 == 0 else "nothing to see\n")
PY
    touch "$root/many.done"
fi
mkdir -p "$root/huge" "$root/line"
[ -f "$root/huge/4g.dat" ] || truncate -s 4G "$root/huge/4g.dat"
if [ ! -f "$root/line/2g.txt" ]; then
    echo "== writing a 2 GiB line"
    head -c 2G /dev/zero | tr '\0' 'a' > "$root/line/2g.txt"
    printf 'needle\n' >> "$root/line/2g.txt"
fi

measure() { # name, directory, pattern
    for j in 1 0; do
        local threads=() label="default threads"
        [ $j = 1 ] && threads=(-j 1) label="-j 1"
        /usr/bin/time -f '%M %e' -o "$root/time" "$exe" "${threads[@]}" "$3" "$2" \
            > /dev/null 2> "$root/err" || true
        read -r kib seconds < <(tail -n 1 "$root/time") # after "Command exited with ..."
        printf '  %-22s %-16s peak %7.1f MiB  %6.2f s  %s\n' "$1" "$label" \
            "$(awk -v k="$kib" 'BEGIN {print k / 1024}')" "$seconds" "$(tail -n 1 "$root/err")"
    done
}
echo "== peak resident memory ($(nproc) CPUs)"
measure "200,000 files" "$root/many" needle
measure "4 GiB file (binary)" "$root/huge" needle
measure "2 GiB line" "$root/line" needle
