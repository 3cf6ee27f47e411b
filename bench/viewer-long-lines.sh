#!/usr/bin/env bash
# Times how the viewer (offscreen) paints long lines, for lines of several
# lengths and kinds of text (words; comma-separated digits, as in a CSV row;
# Latin, accented and CJK characters mixed, the CJK ones from a fallback
# font), one such line or a screenful of them (40), in text mode (no word
# wrap) and binary mode (word wrap). Columns, in milliseconds: opening until
# loaded and painted, a repaint at the top, End on the first line until its
# first paint (the window answers again) and until every row on screen is
# drawn, a repaint there (median of five), Ctrl+End and its paint.
#
# Usage: bench/viewer-long-lines.sh [--build DIR] [--dir DIR] [--lengths "N ..."]
#                                   [--rows "N ..."] [--kinds "K ..."] [--modes "M ..."]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build dir=/tmp/ferrolux-viewer-bench
lengths="2000 20000 100000 131072 1000000" rowsList="1 40" kinds="words digits cjk" modes="text binary"
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$(cd "$2" && pwd); shift 2;;
        --dir) dir=$2; shift 2;;
        --lengths) lengths=$2; shift 2;;
        --rows) rowsList=$2; shift 2;;
        --kinds) kinds=$2; shift 2;;
        --modes) modes=$2; shift 2;;
        -h|--help) sed -n '2,12p' "$0"; exit 0;;
        *) echo "viewer-long-lines.sh: unknown argument $1" >&2; exit 2;;
    esac
done
if [ "$build" = "$top/build" ]; then
    cmake --build "$build" --target ferrolux-viewer-paint-bench -j 2 >/dev/null
fi
exe=$build/bench/viewer/ferrolux-viewer-paint-bench
[ -x "$exe" ] || { echo "viewer-long-lines.sh: $exe not built" >&2; exit 2; }
mkdir -p "$dir"

field() { sed -n "s/^$1: //p" "$2" | head -n 1; }

echo "| characters a line | lines | text | mode | rows | open | repaint at top | End, first paint | End, all drawn | repaint there | Ctrl+End |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
out=$(mktemp)
for length in $lengths; do
    for rows in $rowsList; do
        for kind in $kinds; do
            for mode in $modes; do
                QT_QPA_PLATFORM=offscreen "$exe" "$dir" "$length" "$rows" "$kind" "$mode" >"$out" 2>/dev/null
                echo "| $length | $rows | $kind | $mode | $(field rows "$out") | $(field open_and_paint_ms "$out") \
| $(field repaint_top_ms "$out") | $(field end_of_line_first_paint_ms "$out") | $(field end_of_line_ms "$out") \
| $(field repaint_at_end_ms "$out") \
| $(field end_of_text_ms "$out") |"
            done
        done
    done
done
rm -f "$out"
