#!/usr/bin/env bash
# Runs one Windows binary under Wine, as the tests' emulator: a throwaway
# prefix, German regional settings, its own virtual display.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/wine-env.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zbwine.XXXXXX")
full_mounted=
watcher=
cleanup() {
    if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; fi
    "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$full_mounted" ]; then umount "$tmp/drive-t" 2>/dev/null || umount -l "$tmp/drive-t" || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
zb_wine_fresh "$tmp"
# Two drive letters for backup targets, each a folder of this run.
for letter in m n; do
    mkdir -p "$tmp/drive-$letter"
    ln -s "$tmp/drive-$letter" "$WINEPREFIX/dosdevices/$letter:"
done
# A letter whose volume the tests may open and try to eject: a folder of this
# run. Wine's mount manager only knows the letters that exist when it starts.
mkdir -p "$tmp/drive-v"
ln -s "$tmp/drive-v" "$WINEPREFIX/dosdevices/v:"
# A small target that fills up during a copy: a tmpfs of 2 MB, where this
# machine lets us mount one (as root).
mkdir -p "$tmp/drive-t"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=2m tmpfs "$tmp/drive-t" 2>/dev/null; then
    full_mounted=1
    ln -s "$tmp/drive-t" "$WINEPREFIX/dosdevices/t:"
    export ZB_FULL_DRIVE=T
else
    export ZB_FULL_DRIVE_SKIPPED="mount -t tmpfs is not allowed here (it needs root)"
fi
# A drive that a test pulls as a stick is pulled: the file ".abziehen" on
# V: takes the letter W: away, from outside Wine, while the program uses it,
# ".einlegen" gives it back; ".wechseln" gives the letter to another card (the folder drive-w2, which
# the test finds as X:). ".verweis" asks for a Unix symbolic link, which
# Wine cannot make itself: its two lines name the link and its target,
# relative to the folders of the drive letters ("m/Sicherung/3/p1", "m/Fremd").
mkdir -p "$tmp/drive-w" "$tmp/drive-w2"
ln -s "$tmp/drive-w" "$WINEPREFIX/dosdevices/w:"
ln -s "$tmp/drive-w2" "$WINEPREFIX/dosdevices/x:"
drive_path() { printf '%s/drive-%s\n' "$tmp" "$1"; }
(
    while [ -d "$tmp/drive-v" ]; do
        if [ -e "$tmp/drive-v/.abziehen" ]; then
            rm -f "$WINEPREFIX/dosdevices/w:" "$tmp/drive-v/.abziehen"
        fi
        if [ -e "$tmp/drive-v/.einlegen" ]; then
            ln -sfn "$tmp/drive-w" "$WINEPREFIX/dosdevices/w:"
            rm -f "$tmp/drive-v/.einlegen"
        fi
        if [ -e "$tmp/drive-v/.wechseln" ]; then
            ln -sfn "$tmp/drive-w2" "$WINEPREFIX/dosdevices/w:"
            rm -f "$tmp/drive-v/.wechseln"
        fi
        if [ -e "$tmp/drive-v/.verweis" ]; then
            { read -r link; read -r target; } < "$tmp/drive-v/.verweis"
            ln -s "$(drive_path "$target")" "$(drive_path "$link")" || true
            rm -f "$tmp/drive-v/.verweis"
        fi
        sleep 0.05
    done
) &
watcher=$!
export ZB_SCRATCH_DRIVE=V ZB_TARGET_DRIVES=MN ZB_PULLED_DRIVE=W
xvfb-run -a -s "-screen 0 1280x1024x24" "$ZB_WINE" "$@"
