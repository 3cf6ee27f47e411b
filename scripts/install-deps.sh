#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing)
# Ferrolux needs, skipping those already there. Works as root or with sudo.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libre2-dev libzip-dev libarchive-dev
          libgl1-mesa-dev fonts-dejavu-core fonts-liberation xdg-utils)
if [ "${1:-}" = test ]; then
    packages+=(googletest libgtest-dev poppler-utils zip xvfb openbox xdotool x11-utils python3)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

run_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
echo "Installing: ${missing[*]}"
run_as_root apt-get update -qq
run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
