#!/usr/bin/env bash
# Times the viewer (offscreen) on three files and prints one table:
#   50mb  a 50 MB text file with 5000 matching lines
#   1gb   a 1 GB text file with 5000 matching lines
#   line  a 50 MB file that is one line (no line break)
# Each text file is opened at the top, looking for "needle" (4999 lines), and
# at its 2500th matching line, as a double-click on a match row does, looking
# for "target" (that line alone), so that colour shows only once the viewer
# shows that line. Columns: first paint that shows a
# coloured match, all matches found (the viewer has finished loading), the
# longest time the window did not answer, resident memory above an empty
# viewer (at the end and at its peak), mean and slowest Next step.
#
# Usage: bench/viewer-open.sh [--build DIR] [--dir DIR] [--only CASE] [--timeout S]
#   --build DIR   Ferrolux build directory (default: build); it is not rebuilt
#                 when it has no build.ninja newer than the sources' (a scratch
#                 build of an older commit is measured as it is)
#   --dir DIR     where the files are made (default /tmp/ferrolux-viewer-bench)
#   --only CASE   50mb, 1gb or line
#   --timeout S   give up on one opening after S seconds (default 300)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build dir=/tmp/ferrolux-viewer-bench only= timeout=300
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$(cd "$2" && pwd); shift 2;;
        --dir) dir=$2; shift 2;;
        --only) only=$2; shift 2;;
        --timeout) timeout=$2; shift 2;;
        -h|--help) sed -n '2,17p' "$0"; exit 0;;
        *) echo "viewer-open.sh: unknown argument $1" >&2; exit 2;;
    esac
done
if [ "$build" = "$top/build" ]; then
    cmake --build "$build" --target ferrolux-viewer-bench -j 2 >/dev/null
fi
exe=$build/bench/viewer/ferrolux-viewer-bench
[ -x "$exe" ] || { echo "viewer-open.sh: $exe not built" >&2; exit 2; }
mkdir -p "$dir"

# Makes a file once; later runs reuse it.
make_text() { # name, bytes, matching lines
    [ -f "$dir/$1" ] || { "$exe" --make-text "$dir/$1.part" "$2" "$3" && mv "$dir/$1.part" "$dir/$1"; }
}
make_line() { # name, bytes
    [ -f "$dir/$1" ] || { "$exe" --make-single-line "$dir/$1.part" "$2" && mv "$dir/$1.part" "$dir/$1"; }
}

# The 1-based line of the n-th matching line of a made text file.
target_line() { # bytes, matching lines, n
    local lines=$(($1 / 71))
    local every=$((lines / $2))
    echo $(((($3 - 1) * every) + 3 + 1))
}

field() { sed -n "s/^$1: //p" "$2" | head -n 1; }

# "mean / slowest" ms of the Next or Previous steps; a single match has none.
steps() { # next|prev, output
    local n mean
    n=$(field "$1_steps" "$2")
    [ "${n:-0}" -gt 1 ] || { echo "-"; return; }
    mean=$(field "$1_mean_us" "$2")
    echo "$((mean / 1000)).$(printf %03d $((mean % 1000))) / $(field "$1_slowest_ms" "$2")"
}

rows=()
measure() { # label, file, target, pattern
    local out
    out=$(mktemp)
    QT_QPA_PLATFORM=offscreen timeout $((timeout + 60)) \
        "$exe" "$2" --target "$3" --pattern "$4" --timeout "$timeout" >"$out" 2>/dev/null || true
    if [ -n "$(field timeout_s "$out")" ] || [ -z "$(field all_matches_found_ms "$out")" ]; then
        rows+=("| $1 | not finished within ${timeout} s | | | | | |")
    else
        rows+=("| $1 | $(field first_coloured_paint_ms "$out") | $(field all_matches_found_ms "$out") \
| $(field longest_stall_ms "$out") | $(field rss_above_empty_mb "$out") / $(field peak_rss_above_empty_mb "$out") \
| $(steps next "$out") | $(steps prev "$out") |")
    fi
    echo "${rows[-1]}"
    rm -f "$out"
}

echo "== files in $dir, viewer from $build"
if [ -z "$only" ] || [ "$only" = 50mb ]; then
    make_text text-50mb.txt 50000000 5000
    measure "50 MB, top" "$dir/text-50mb.txt" -1 needle
    measure "50 MB, match 2500" "$dir/text-50mb.txt" "$(target_line 50000000 5000 2500)" target
fi
if [ -z "$only" ] || [ "$only" = 1gb ]; then
    make_text text-1gb.txt 1000000000 5000
    measure "1 GB, top" "$dir/text-1gb.txt" -1 needle
    measure "1 GB, match 2500" "$dir/text-1gb.txt" "$(target_line 1000000000 5000 2500)" target
fi
if [ -z "$only" ] || [ "$only" = line ]; then
    make_line line-50mb.txt 50000000
    measure "50 MB single line" "$dir/line-50mb.txt" -1 needle
fi

echo
echo "| file, opened at | first coloured paint ms | all matches found ms | longest stall ms | RSS above empty viewer MB (end / peak) | Next ms (mean / slowest) | Previous ms (mean / slowest) |"
echo "|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
