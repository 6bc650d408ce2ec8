# Sourced by the scripts that run Windows binaries under Wine. Provides
#   zb_wine_template  - prepares, once per build, a template Wine prefix with
#                       German regional settings and no window-manager delays;
#   zb_wine_fresh DIR - a throwaway copy of it in DIR, exported as WINEPREFIX,
#                       with a temporary HOME (the recycle bin lives there).
# Nothing here touches the host's own Wine setup.
ZB_WINE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-de"
ZB_WINESERVER=/usr/lib/wine/wineserver
: "${ZB_WINE_DIR:=$PWD/wine}"
export ZB_WINE_DIR
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

zb_wine_template() {
    mkdir -p "$ZB_WINE_DIR/locale"
    # Greek and Japanese for the tests under other ANSI code pages (ZB_WINE_LANG).
    local lang
    for lang in el_GR ja_JP; do
        [ -d "$ZB_WINE_DIR/locale/$lang.UTF-8" ] ||
            localedef -i "$lang" -f UTF-8 "$ZB_WINE_DIR/locale/$lang.UTF-8" >/dev/null 2>&1 || true
    done
    [ -f "$ZB_WINE_DIR/template/.ready" ] && return 0
    (
        flock 9
        [ -f "$ZB_WINE_DIR/template/.ready" ] && exit 0
        rm -rf "$ZB_WINE_DIR/template" "$ZB_WINE_DIR/locale/de_DE.UTF-8" "$ZB_WINE_DIR/home"
        mkdir -p "$ZB_WINE_DIR/locale" "$ZB_WINE_DIR/home"
        # Without the glibc locale Wine silently falls back to en-US formats.
        localedef -i de_DE -f UTF-8 "$ZB_WINE_DIR/locale/de_DE.UTF-8" >/dev/null 2>&1 || true
        export WINEPREFIX="$ZB_WINE_DIR/template" HOME="$ZB_WINE_DIR/home"
        xvfb-run -a "$ZB_WINE" wineboot -i >/dev/null 2>&1
        # Without a window manager every hide or close of a window costs 2 s.
        "$ZB_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        "$ZB_WINESERVER" -w
        touch "$ZB_WINE_DIR/template/.ready"
    ) 9>"$ZB_WINE_DIR/.lock"
}

zb_wine_fresh() {
    local dir=$1
    zb_wine_template
    mkdir -p "$dir/home"
    cp -a "$ZB_WINE_DIR/template" "$dir/prefix"
    export WINEPREFIX="$dir/prefix" HOME="$dir/home"
}
