#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: natively
# (unit and contract tests with sanitizers) and under Wine (contract tests
# against the real API, end-to-end tests driving ZelkorBackup.exe).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

echo "== native build and tests"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build/native" -j"$jobs"
(cd "$root/build/native" && ctest --output-on-failure -j"$jobs")

echo "== Windows build and tests under Wine"
cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/win" -j"$jobs"
export ZB_WINE_DIR="$root/build/win/wine"
(cd "$root/build/win" && ctest --output-on-failure -j"$jobs")

# The pictures the end-to-end tests took, for a look at the real window.
shots="$root/build/win/screenshots"
if [ -d "$shots" ]; then
    for bmp in "$shots"/*.bmp; do
        [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
    echo "Screenshots: $shots"
fi

echo "== setup, uninstaller, portable ZIP and guide under Wine"
"$root/tests/installer/installer_test.sh" "$root/build/win"
