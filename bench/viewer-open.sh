#!/usr/bin/env bash
# Times opening a 50 MB text file with 5000 matching lines in the viewer
# (offscreen), coloured, and stepping through every match.
#
# Usage: bench/viewer-open.sh [--build DIR] [FILE]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
if [ "${1:-}" = --build ]; then build=$(cd "$2" && pwd); shift 2; fi
cmake --build "$build" --target ferrolux-viewer-bench -j 2 >/dev/null
QT_QPA_PLATFORM=offscreen exec "$build/bench/viewer/ferrolux-viewer-bench" "$@"
