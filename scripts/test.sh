#!/usr/bin/env bash
# Installs what is missing, checks that every #include keeps the layers of
# the README (scripts/check-layers.py), builds Ferrolux and runs every test
# with CTest: the whole program; the window tests again with only the fonts the install
# step brings (as on a fresh machine) and again at a scale factor of 2 (as on
# a high-density screen); the core under AddressSanitizer and
# UndefinedBehaviorSanitizer; the search and window tests under
# ThreadSanitizer.
#
# Usage: test.sh [STAGE...]   stages: release fonts scale sanitize tsan
# (all of them, in that order, when none is named; fonts and scale reuse the
# release build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
scripts/check-layers.py "$top"
jobs=$(nproc)

release() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs"
    ctest --test-dir build --output-on-failure -j "$jobs"
}

# A fontconfig that shows only the install step's fonts; the label ui
# selects the window tests.
fonts() {
    local config
    config=$(scripts/fonts-conf.sh "$top/build/minimal-fonts" fonts-dejavu-core fonts-liberation)
    FONTCONFIG_FILE=$config ctest --test-dir build --output-on-failure -j "$jobs" -L ui
}

scale() {
    QT_SCALE_FACTOR=2 ctest --test-dir build --output-on-failure -j "$jobs" -L ui
}

sanitize() {
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DFERROLUX_BUILD_UI=OFF -DFERROLUX_SANITIZE=ON
    cmake --build build-sanitize -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
}

# Qt is not built with ThreadSanitizer: the few reports from inside its own
# locking are suppressed by name in scripts/tsan.supp.
tsan() {
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERROLUX_TSAN=ON
    cmake --build build-tsan -j "$jobs" --target test-programs
    TSAN_OPTIONS="suppressions=$top/scripts/tsan.supp second_deadlock_stack=1" \
        ctest --test-dir build-tsan --output-on-failure -j "$jobs"
}

stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(release fonts scale sanitize tsan)
for stage in "${stages[@]}"; do
    case $stage in
    release | fonts | scale | sanitize | tsan) echo "== $stage" && "$stage" ;;
    *) echo "unknown stage: $stage (release fonts scale sanitize tsan)" >&2 && exit 2 ;;
    esac
done
