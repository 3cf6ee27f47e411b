#!/usr/bin/env bash
# Installs what is missing, builds Ferrolux and runs its main job: a search
# of Ferrolux's own sources with the command-line driver.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERROLUX_BUILD_TESTS=OFF
cmake --build build -j "$(nproc)"
exec build/tools/ferrolux-search/ferrolux-search -r --files "*.cpp,*.h" --lines "GrepEngine" src
