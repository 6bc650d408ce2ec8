#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, when missing.
set -euo pipefail
packages=(cmake make g++ googletest libgtest-dev libgmock-dev g++-mingw-w64-x86-64 wine64 fonts-wine fonts-liberation
          fonts-dejavu-core xvfb xauth x11-utils
          xdotool imagemagick librsvg2-bin icoutils locales util-linux
          nsis osslsigncode openssl zip unzip rsync wixl msitools
          chromium)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
