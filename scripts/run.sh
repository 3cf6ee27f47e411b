#!/usr/bin/env bash
# Installs what is missing, builds Ferrolux and starts the application.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERROLUX_BUILD_TESTS=OFF
cmake --build build -j "$(nproc)"
exec build/bin/ferrolux
