#!/usr/bin/env bash
# Builds ZelkorBackup.exe and starts it under Wine, in a Wine prefix kept in
# the build folder, on $DISPLAY or else on a virtual display. Saves a
# screenshot of the window, then keeps the program running, as a tray program
# does, until interrupted (Ctrl+C); then ends it and everything it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/win"
shot="${ZB_SCREENSHOT:-$root/build/screenshot.png}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target ZelkorBackup -j"$(nproc)"

cd "$build"
export ZB_WINE_DIR="$build/wine"
source "$root/scripts/wine-env.sh"
zb_wine_template
export WINEPREFIX="$ZB_WINE_DIR/run-prefix" HOME="$ZB_WINE_DIR/run-home"
[ -d "$WINEPREFIX" ] || cp -a "$ZB_WINE_DIR/template" "$WINEPREFIX"
mkdir -p "$HOME"

xvfb_pid=
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 140); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    echo "Virtual display $DISPLAY"
fi

stop() {
    trap - INT TERM EXIT
    "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    echo "ZELKOR Backup ended."
}
trap stop INT TERM EXIT

"$ZB_WINE" ZelkorBackup.exe &
win=
for _ in $(seq 100); do
    win=$(xdotool search --name 'ZELKOR Backup 19.09.01' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
done
sleep 1
if [ -n "$win" ]; then
    import -window "$win" "$shot" && echo "Screenshot of the window: $shot"
else
    import -window root "$shot" && echo "Window not found (in the tray?); screenshot of the screen: $shot"
fi
echo "ZELKOR Backup is running (display $DISPLAY). Press Ctrl+C to end it."
wait
