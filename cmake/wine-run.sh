#!/usr/bin/env bash
# Runs one Windows binary under Wine, as the tests' emulator: a throwaway
# prefix, German regional settings, its own virtual display.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/wine-env.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zbwine.XXXXXX")
cleanup() {
    "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT
zb_wine_fresh "$tmp"
xvfb-run -a -s "-screen 0 1280x1024x24" "$ZB_WINE" "$@"
