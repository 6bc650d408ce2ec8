# Shared by the benchmark scripts; sourced once `root`, `jobs` and a `fail`
# function are set.

# Output only when the command fails.
quietly() {
    local log
    log=$(mktemp)
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        fail "failed: $*"
    fi
    rm -f "$log"
}

# Builds standin_bench (Release, no sanitizers) into build/$1 and, with a
# second argument "win", win32_bench into build/bench-win; sets `standin`
# and `winbench`.
zb_bench_build() {
    echo "== building the bench programs (build/$1${2:+, build/bench-win})"
    quietly cmake -S "$root" -B "$root/build/$1" -DCMAKE_BUILD_TYPE=Release -DZB_SANITIZE=OFF \
        -DZB_TESTS=OFF -DZB_BENCH=ON
    quietly cmake --build "$root/build/$1" --target standin_bench -j"$jobs"
    standin=$root/build/$1/bench/standin_bench
    [ "${2:-}" = win ] || return 0
    quietly cmake -S "$root" -B "$root/build/bench-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZB_TESTS=OFF -DZB_BENCH=ON
    quietly cmake --build "$root/build/bench-win" --target win32_bench -j"$jobs"
    winbench=$root/build/bench-win/bench/win32_bench.exe
}

# A fresh work folder `work` named after $1 under ZB_BENCH_DIR (default
# $TMPDIR or /tmp); at exit Wine's server and display stop, and the folder
# goes unless ZB_BENCH_KEEP=1.
xvfb_pid= server_pid=
zb_bench_work() {
    local base=${ZB_BENCH_DIR:-${TMPDIR:-/tmp}}
    mkdir -p "$base"
    work=$(mktemp -d "$base/$1.XXXXXX")
    trap zb_bench_cleanup EXIT
}
zb_bench_cleanup() {
    if [ -n "$server_pid" ]; then
        "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
        wait "$server_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "${ZB_BENCH_KEEP:-0}" = 1 ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}

# Wine for win32_bench: a throwaway prefix in the work folder with German
# settings, S: and T: on the folders $1 and $2, its own virtual display, and
# one wineserver for the whole run, so that each program start finds it
# warm. `underWine ARGS` runs win32_bench.
zb_bench_wine() {
    echo "== starting Wine (throwaway prefix, own virtual display)"
    export ZB_WINE_DIR=$root/build/bench-win/wine
    source "$root/scripts/wine-env.sh"
    (unset LC_ALL; zb_wine_template)  # the template prefix takes the German settings
    zb_wine_fresh "$work/wine"
    ln -s "$1" "$WINEPREFIX/dosdevices/s:"
    ln -s "$2" "$WINEPREFIX/dosdevices/t:"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
    "$ZB_WINESERVER" -f -p >/dev/null 2>&1 &
    server_pid=$!
}
underWine() { env -u LC_ALL "$ZB_WINE" "$winbench" "$@"; }

# Median, minimum and maximum of the sample list `samples[KEY]` (an
# associative array of the script's), and the median or maximum alone.
stats() {
    printf '%s\n' ${samples[$1]} | sort -g | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.6f %.6f %.6f\n", m, v[1], v[NR] }'
}
median() { stats "$1" | cut -d' ' -f1; }
largest() { stats "$1" | cut -d' ' -f3; }
