#!/usr/bin/env bash
# Builds the Release exe for Windows and writes into dist/ the setup
# ZelkorBackup-<version>-Setup.exe, the MSI package ZelkorBackup-<version>.msi
# for deployment tools, the portable ZelkorBackup-<version>-portable.zip,
# SHA256SUMS and ZelkorBackup-<version>-Freigabe.txt (version, the MSI's
# product and upgrade codes, each package's SHA-256). Signs them when ZB_SIGN_CERT and ZB_SIGN_KEY (or
# ZB_SIGN_PKCS12) are set, and fails when the time stamp asked for cannot be
# had, unless ZB_SIGN_ALLOW_NO_TIMESTAMP=1; see README.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ZB_RELEASE_BUILD:-$root/build/release}"
dist="${ZB_DIST:-$root/dist}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DZB_TESTS=OFF >/dev/null
cmake --build "$build" --target ZelkorBackup -j"$(nproc)"
"$root/installer/package.sh" "$build" "$dist"
