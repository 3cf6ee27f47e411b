#!/usr/bin/env bash
# Writes a fontconfig file that shows programs only the font files of the
# given Debian packages (with the system's aliases and rules), so that tests
# can run as on a machine that has nothing else installed.
# Usage: fonts-conf.sh FOLDER PACKAGE...   (prints the path of the file)
set -euo pipefail
folder=$1
shift
mkdir -p "$folder/fonts" "$folder/cache"
rm -f "$folder/fonts/"*
dpkg -L "$@" | grep -E '\.(ttf|otf|pfb)$' | while read -r font; do
    ln -sf "$font" "$folder/fonts/"
done
cat >"$folder/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$folder/fonts</dir>
  <cachedir>$folder/cache</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
EOF
echo "$folder/fonts.conf"
