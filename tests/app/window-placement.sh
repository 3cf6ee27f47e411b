#!/usr/bin/env bash
# Starts Ferrolux on an 800 x 600 screen run by a window manager and checks
# where its windows land: the main window's frame (caption and close box
# included) at 0,0, and the main and help windows wholly on the screen. An
# offscreen test cannot see this: only a window manager draws frames. Under
# QT_SCALE_FACTOR the screen has that many times the pixels, so that it is
# 800 x 600 in the program's units.
# Usage: window-placement.sh PROGRAM [SCREENSHOT.png]
# Exits 77 (skipped) when Xvfb, openbox or the X tools are not installed.
set -uo pipefail
program=$1
screenshot=${2:-}
for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

factor=${QT_SCALE_FACTOR:-1}
width=$(awk -v f="$factor" 'BEGIN { printf "%d", 800 * f + 0.5 }')
height=$(awk -v f="$factor" 'BEGIN { printf "%d", 600 * f + 0.5 }')

work=$(mktemp -d)
pids=()
cleanup() {
    local status=$?
    if [ "$status" -ne 0 ] && [ -s "$work/program.log" ]; then
        echo "the program wrote:"
        tail -20 "$work/program.log"
    fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 15 s for a command to succeed.
wait_for() {
    for _ in $(seq 150); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "timed out waiting for: $*"
    return 1
}

Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for test -s "$work/display" || exit 1
export DISPLAY=:$(head -1 "$work/display")
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || exit 1

export QT_QPA_PLATFORM=xcb FERROLUX_REGISTRY=$work/store.reg
"$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

# The shown window of exactly that title, at least 500 units wide (not the
# splash).
window_named() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] || continue
        [ "$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')" -ge "$((500 * width / 800))" ] 2>/dev/null &&
            { echo "$id"; return 0; }
    done
    return 1
}

# The frame of a window: left top right bottom, once the manager framed it.
frame_of() {
    local info extents x y w h
    info=$(xwininfo -id "$1") || return 1
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9].*' | tr -d ' ') || return 1
    [ -n "$extents" ] || return 1
    IFS=, read -r left right top bottom <<<"$extents"
    [ -n "$bottom" ] || return 1
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info")
    h=$(awk '/Height:/ {print $2}' <<<"$info")
    echo "$((x - left)) $((y - top)) $((x + w + right)) $((y + h + bottom))"
}

failures=0
check_on_screen() {
    read -r l t r b <<<"$2"
    if [ -z "$b" ]; then
        echo "FAIL: no frame found for the $1"
        failures=$((failures + 1))
        return
    fi
    echo "$1: frame from $l,$t to $r,$b"
    if [ "$l" -lt 0 ] || [ "$t" -lt 0 ] || [ "$r" -gt "$width" ] || [ "$b" -gt "$height" ]; then
        echo "FAIL: $1 is not wholly on the $width x $height screen"
        failures=$((failures + 1))
    fi
}

wait_for window_named Ferrolux || exit 1
main=$(window_named Ferrolux)
# Whether a window's frame is wholly on the screen (and, with "corner", at 0,0).
on_screen() {
    read -r l t r b <<<"$(frame_of "$1")"
    [ -n "$b" ] && [ "$l" -ge 0 ] && [ "$t" -ge 0 ] && [ "$r" -le "$width" ] &&
        [ "$b" -le "$height" ] && { [ "${2:-}" != corner ] || [ "$l$t" = 00 ]; }
}
# The compact layout and its move come with the first show.
wait_for on_screen "$main" corner
frame=$(frame_of "$main")
check_on_screen "main window" "$frame"
read -r l t _ _ <<<"$frame"
if [ "$l" != 0 ] || [ "$t" != 0 ]; then
    echo "FAIL: the main window's frame starts at $l,$t, not at 0,0"
    failures=$((failures + 1))
fi

# F1 again if the first press came before the window took keys.
help_opened() {
    window_named 'Ferrolux Help' && return 0
    xdotool windowactivate --sync "$main" key F1
    for _ in $(seq 20); do window_named 'Ferrolux Help' && return 0; sleep 0.1; done
    return 1
}
wait_for help_opened || exit 1
help=$(window_named 'Ferrolux Help')
wait_for on_screen "$help"
check_on_screen "help window" "$(frame_of "$help")"

if [ -n "$screenshot" ] && command -v scrot >/dev/null; then
    xdotool windowclose "$help" 2>/dev/null || true
    wait_for sh -c "! xwininfo -id $help | grep -q IsViewable"
    scrot -o "$screenshot"
fi
[ "$failures" -eq 0 ] && echo "placement as expected"
exit "$failures"
