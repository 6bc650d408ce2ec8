#!/usr/bin/env bash
# The catalog of backed-up files at scale: 200,000 files over 56 backups
# (8 drives x 7 weekdays), 1 % changed per run. Natively, and under Wine
# with ZB_BENCH_WINE=1. Prints the figures; the goals are in bench/RESULTS.md.
#
#   ZB_BENCH_SCALE   shrinks the source (default 1)
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scale=${ZB_BENCH_SCALE:-1}
fail() { echo "catalog.sh: $*" >&2; exit 1; }
jobs=$(nproc)
source "$root/bench/lib.sh"
files=$(awk -v s="$scale" 'BEGIN { v = int(200000 * s + 0.5); print (v < 100 ? 100 : v) }')
echo "== building catalog_bench (build/bench)"
quietly cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DZB_SANITIZE=OFF -DZB_TESTS=OFF -DZB_BENCH=ON
quietly cmake --build "$root/build/bench" --target catalog_bench -j"$jobs"
zb_bench_work zbcatalog
echo "== natively"
/usr/bin/time -f "peak memory %M KB" "$root/build/bench/bench/catalog_bench" "$work/Katalog.db" "$files" 56
if [ "${ZB_BENCH_WINE:-0}" = 1 ]; then
    echo "== building catalog_bench.exe (build/bench-win)"
    quietly cmake -S "$root" -B "$root/build/bench-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZB_TESTS=OFF -DZB_BENCH=ON
    quietly cmake --build "$root/build/bench-win" --target catalog_bench -j"$jobs"
    mkdir -p "$work/s" "$work/t"
    zb_bench_wine "$work/s" "$work/t"
    echo "== under Wine"
    env -u LC_ALL "$ZB_WINE" "$root/build/bench-win/bench/catalog_bench.exe" 'S:\Katalog.db' "$files" 56
fi
