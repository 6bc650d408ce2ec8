#!/usr/bin/env bash
# How long the window leaves a message unanswered during a whole backup run
# of tree A (20,000 small files in 200 folders) under Wine: another thread
# sends it a message every 20 ms, as Windows does when it asks whether the
# session may end, and the longest wait for an answer is kept. Once with the
# shell's copy on a worker thread (the program as it is), once with the copy
# on the window's own thread (as it was before). Goal: at most 1 s.
#
#   ZB_BENCH_SCALE   shrinks tree A (default 1; 0.05 for a quick try)
#   ZB_BENCH_DIR     where the tree and the copies go (default $TMPDIR or /tmp)
#   ZB_BENCH_KEEP=1  keeps the work folder
set -euo pipefail
export LC_ALL=C  # a decimal point in every figure; Wine gets its German settings back in underWine
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scale=${ZB_BENCH_SCALE:-1}
jobs=$(nproc)

fail() { echo "responsive.sh: $*" >&2; exit 1; }
awk -v s="$scale" 'BEGIN { exit !(s + 0 > 0) }' || fail "ZB_BENCH_SCALE must be a number above 0"

"$root/scripts/install-deps.sh"

source "$root/bench/lib.sh"
zb_bench_build bench-native win
zb_bench_work zbresponsive
src=$work/src out=$work/out
mkdir -p "$src" "$out" "$work/appdata"
export APPDATA=$work/appdata

scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { v = int(n * s + 0.5); print (v < 1 ? 1 : v) }'; }
filesA=$(scaled 20000) foldersA=$(scaled 200)
echo "== making tree A in $work"
quietly "$standin" trees "$src" "$filesA" "$foldersA" 1
rm -rf "$src/B"

zb_bench_wine "$src" "$out"
declare -A result
for how in worker inline; do
    echo "== a whole run of tree A, the shell's copy: $how"
    rm -rf "${out:?}/$how"
    mkdir -p "$out/$how"
    args=('S:\A' "T:\\$how")
    [ "$how" = inline ] && args+=(inline)
    underWine gaps "${args[@]}" >"$work/stdout" 2>"$work/stderr" || { cat "$work/stderr" >&2; fail "the run failed"; }
    result[$how]=$(tr -d '\r' <"$work/stdout")
    [ "$(find "$out/$how/$(date +%u)/P1" -type f | wc -l)" -ge "$filesA" ] || fail "the run left an incomplete copy"
done

field() { awk -v k="$2" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' <<<"${result[$1]}"; }
echo
echo "ZELKOR Backup: the window's answers during a backup run, $(date '+%Y-%m-%d %H:%M')"
echo "scale $scale: tree A with $filesA files in $(find "$src/A" -mindepth 1 -type d | wc -l) folders;" \
    "$(nproc) CPU cores, $(/usr/lib/wine/wine64 --version 2>/dev/null || echo 'Wine ?')"
printf '  %-34s %9s %9s %8s %8s %8s\n' "the shell's copy" "run" "longest" "probes" ">1 s" ">5 s"
for how in worker inline; do
    label="on a worker thread"
    [ "$how" = inline ] && label="on the window's own thread (before)"
    printf '  %-34s %7.1f s %7.3f s %8d %8d %8d\n' "$label" "$(field "$how" wall)" \
        "$(field "$how" longest)" "$(field "$how" probes)" "$(field "$how" over1s)" "$(field "$how" over5s)"
done
echo
awk -v l="$(field worker longest)" 'BEGIN { printf "Goal: the longest wait for an answer at most 1 s: %.3f s, %s\n",
    l, (l <= 1 ? "met" : "missed") }'
