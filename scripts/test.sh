#!/usr/bin/env bash
# Installs what is missing, builds Ferrolux and runs every test with CTest:
# the whole program, then the core again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the search and window tests under
# ThreadSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DFERROLUX_BUILD_UI=OFF -DFERROLUX_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# Qt is not built with ThreadSanitizer: the few reports from inside its own
# locking are suppressed by name in scripts/tsan.supp.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERROLUX_TSAN=ON
cmake --build build-tsan -j "$jobs" --target test-programs
TSAN_OPTIONS="suppressions=$top/scripts/tsan.supp second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs"
