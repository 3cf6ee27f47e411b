#!/usr/bin/env bash
# Times the engine on patterns and texts made to exhaust it, and prints the
# speed, the compile time and the peak memory of each: a search must stay
# linear and a pattern must compile within a fixed budget (or be refused).
#
# Usage: bench/grep-count/pattern-limits.sh [--build DIR] [--megabytes N]
#   --build DIR      Ferrolux build directory (default: build)
#   --megabytes N    size of each generated text (default 16)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$top/build megabytes=16
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$(cd "$2" && pwd); shift 2;;
        --megabytes) megabytes=$2; shift 2;;
        -h|--help) sed -n '2,9p' "$0"; exit 0;;
        *) echo "pattern-limits.sh: unknown argument $1" >&2; exit 2;;
    esac
done
count=$build/bench/grep-count/ferrolux-grep-count
[ -x "$count" ] || { echo "pattern-limits.sh: build ferrolux-grep-count first ($count)" >&2; exit 2; }
work=$(mktemp -d /tmp/ferrolux-limits.XXXXXX)
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$megabytes" <<'PY'
import sys
work, size = sys.argv[1], int(sys.argv[2]) << 20
def write(name, unit, lines=1):
    line = (unit * (size // len(unit.encode()) // lines + 1)).encode()[: size // lines]
    with open(f"{work}/{name}", "wb") as f:
        for _ in range(lines):
            f.write(line + b"\n")
write("letters.txt", "abcdefghijklmnopqrstuvwxyz")           # one line of matching letters
write("cjk.txt", "\u4e2d\u6587\u5b57\u300c\u300d")            # one line, no spaces
write("words.txt", "int print \u00abint\u00bb l\u2019int ", lines=size // 4096)
with open(f"{work}/starred", "w") as f:
    f.write("\\<" + "".join(c + "*" for c in "abcdefghijklmnopqrstuvwxyz") + "\\>")
with open(f"{work}/classes", "w") as f:
    f.write("[\u0001-\U0010ffff]" * 200)
with open(f"{work}/alternatives", "w") as f:
    f.write("|".join("w%05d" % i for i in range(10000)))
PY

run() { # label, then the counting tool's arguments
    local label=$1; shift
    printf '  %-46s ' "$label"
    "$count" "$@" 2>&1 | tail -n 1
}
echo "== linear time (one ${megabytes} MB line unless said otherwise)"
run "\\< 26 starred letters \\>, letters" "$(cat "$work/starred")" "$work/letters.txt"
run "\\< 26 starred letters \\>, CJK" "$(cat "$work/starred")" "$work/cjk.txt"
run "\\<.+\\>, CJK" '\<.+\>' "$work/cjk.txt"
run "\\<int\\> beside punctuation, 4 KB lines" '\<int\>' "$work/words.txt"
run "\\<[a-z]+\\> beside punctuation, 4 KB lines" '\<[a-z]+\>' "$work/words.txt"
echo "== compile budget"
run "Unicode class x200, -i (1.6 KB)" -i "$(cat "$work/classes")" "$work/words.txt"
run "10,000 alternatives" "$(cat "$work/alternatives")" "$work/words.txt"
run "10,000 alternatives as whole words (refused)" "\\<$(cat "$work/alternatives")\\>" \
    "$work/words.txt" || true
