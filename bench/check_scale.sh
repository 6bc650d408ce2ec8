#!/usr/bin/env bash
# The check of a copy against its source at scale, natively on the POSIX
# stand-ins (no Wine): a flat folder of 200,000 files against the tree A of
# copy_delete.sh (20,000 files), both with a complete copy; a target whose
# drive goes away after the first 1,000 single-file copies of a 20,000-file
# folder; and the check's peak memory. Prints the figures beside their goals;
# a missed goal is no error.
#
#   ZB_BENCH_SCALE   shrinks the folders (default 1; 0.05 for a quick try)
#   ZB_BENCH_ROUNDS  rounds, each figure is their median (default 5)
#   ZB_BENCH_DIR     where the folders go (default $TMPDIR or /tmp)
#   ZB_BENCH_KEEP=1  keeps the work folder
set -euo pipefail
export LC_ALL=C  # a decimal point in every figure
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scale=${ZB_BENCH_SCALE:-1}
rounds=${ZB_BENCH_ROUNDS:-5}

fail() { echo "check_scale.sh: $*" >&2; exit 1; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ZB_BENCH_ROUNDS must be a positive whole number"
awk -v s="$scale" 'BEGIN { exit !(s + 0 > 0) }' || fail "ZB_BENCH_SCALE must be a number above 0"
for tool in cmake g++; do command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh)"; done

jobs=$(nproc)
source "$root/bench/lib.sh"
zb_bench_build bench
zb_bench_work zbscale

scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { v = int(n * s + 0.5); print (v < 1 ? 1 : v) }'; }
flatFiles=$(scaled 200000) treeFiles=$(scaled 20000) treeFolders=$(scaled 200)
goneFiles=$(scaled 20000) goneAfter=$(scaled 1000)

echo "== making the folders in $work"
t0=$EPOCHREALTIME
"$standin" flat "$work/flat" "$flatFiles" "$work/flat-copy"
"$standin" trees "$work/trees" "$treeFiles" "$treeFolders" 0
cp -a "$work/trees/A" "$work/tree-copy"
"$standin" flat "$work/gone" "$goneFiles"
sync
echo "   made in $(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }') s"
entries() { find "$1" -mindepth 1 | wc -l; }
flatEntries=$(entries "$work/flat") treeEntries=$(entries "$work/trees/A")
treeDirs=$(find "$work/trees/A" -mindepth 1 -type d | wc -l)

# field NAME of a "name value name value" line
field() { awk -v k="$1" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' "$work/stdout"; }
declare -A samples
add() { samples[$1]+=" $2"; }

check() {  # key src copy
    "$standin" check "$2" "$3" >"$work/stdout" || fail "the check of $2 failed"
    add "$1.s" "$(field seconds)"
    add "$1.peak" "$(field check_peak_kib)"
    add "$1.proc" "$(field process_peak_kib)"
    add "$1.gap" "$(field longest_unserved)"
    add "$1.list" "$(field listing_seconds)"
    add "$1.own" "$(awk -v a="$(field seconds)" -v b="$(field listing_seconds)" 'BEGIN { printf "%.6f", a - b }')"
    add "$1.longlist" "$(field longest_listing)"
    [ "$(field peak_reset)" = 1 ] || peakNotReset=1
}
peakNotReset=0
goneResult=
gone() {
    rm -rf "$work/gone-copy"
    mkdir "$work/gone-copy"
    "$standin" gone "$work/gone" "$work/gone-copy" "$goneAfter" >"$work/stdout" || fail "the check with the target gone failed"
    add gone.after "$(field seconds_after_removal)"
    add gone.before "$(field seconds_before_removal)"
    local result
    result="target_gone $(field target_gone), missing $(field missing) of $(field files) files, missing folders"
    result+=" $(field folders), copy attempts from the removal on $(field copies_after_removal)"
    [ -z "$goneResult" ] || [ "$goneResult" = "$result" ] || fail "the rounds disagree: $goneResult / $result"
    goneResult=$result
}

for round in $(seq "$rounds"); do
    echo "== round $round of $rounds"
    # Each round starts with the other one, so that neither always runs first.
    if ((round % 2)); then
        check flat "$work/flat" "$work/flat-copy"; check tree "$work/trees/A" "$work/tree-copy"
    else
        check tree "$work/trees/A" "$work/tree-copy"; check flat "$work/flat" "$work/flat-copy"
    fi
    gone
done

# ---- Report -------------------------------------------------------------
row() {  # label key unit-scale unit
    local m lo hi
    read -r m lo hi < <(stats "$2")
    awk -v l="$1" -v m="$m" -v lo="$lo" -v hi="$hi" -v k="$3" -v u="$4" \
        'BEGIN { printf "    %-46s %9.3f %-3s %.3f..%.3f\n", l, m * k, u, lo * k, hi * k }'
}
line() { printf '    %-46s %9s %s\n' "$1" "$2" "$3"; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1e3 }'; }
perEntry() { awk -v s="$(median "$1")" -v n="$2" 'BEGIN { printf "%.3f", s / n * 1e6 }'; }
flatPer=$(perEntry flat.s "$flatEntries") treePer=$(perEntry tree.s "$treeEntries")
ratio=$(awk -v a="$flatPer" -v b="$treePer" 'BEGIN { printf "%.2f", a / b }')
goneAfterS=$(median gone.after)
peakMiB=$(awk -v k="$(largest flat.peak)" 'BEGIN { printf "%.1f", k / 1024 }')
peakMB=$(awk -v k="$(largest flat.peak)" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
procMiB=$(awk -v k="$(largest flat.proc)" 'BEGIN { printf "%.1f", k / 1024 }')
procMB=$(awk -v k="$(largest flat.proc)" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v + 0 <= g + 0 ? "met" : "MISSED") }'; }

echo
echo "ZELKOR Backup: the copy check at scale (stand-in, native), $(date '+%Y-%m-%d %H:%M')"
echo "scale $scale, $rounds rounds; median, min..max; $(nproc) CPU cores, load $(cut -d' ' -f1-3 /proc/loadavg)," \
    "work folder on $(df --output=fstype "$work" | tail -n1), caches warm (the folders were just written)"
echo
echo "The check of a complete copy"
echo "  flat folder: $flatFiles files of 64-1024 bytes side by side ($flatEntries entries)"
row "time of the check" flat.s 1 s
line "per entry" "$flatPer" us
row "of which the port's folder listings" flat.list 1e3 ms
row "the check's own work" flat.own 1e3 ms
echo "  tree A: $treeFiles files of 1-8 KiB in $treeDirs folders ($treeEntries entries)"
row "time of the check" tree.s 1 s
line "per entry" "$treePer" us
row "of which the port's folder listings" tree.list 1e3 ms
row "the check's own work" tree.own 1e3 ms
echo "  longest stretch without serving the window (largest of the rounds)"
line "flat folder" "$(ms "$(largest flat.gap)")" "ms (its longest single listing $(ms "$(largest flat.longlist)") ms)"
line "tree A" "$(ms "$(largest tree.gap)")" "ms (its longest single listing $(ms "$(largest tree.longlist)") ms)"
echo
echo "The target's drive taken away before copy $((goneAfter + 1)) of a $goneFiles-file folder with an empty copy"
row "from the start to the removal" gone.before 1 s
row "from the removal to the end of the check" gone.after 1e3 ms
echo "    result: $goneResult"
echo
echo "Peak memory of the check of the flat folder ($flatEntries entries; largest of the rounds)"
line "the check's own (VmHWM after - VmRSS before)" "$peakMB" "MB = $peakMiB MiB"
line "the whole process (ru_maxrss)" "$procMB" "MB = $procMiB MiB"
((peakNotReset == 0)) || echo "    (the peak could not be reset before the check: it may be the start-up's)"
echo
echo "Goals (reported, not enforced)"
printf '  %-66s %s\n' \
    "per-entry time of the flat $flatFiles within 1.5 x that of the tree" "$ratio x ($flatPer / $treePer us): $(verdict "$ratio" 1.5)" \
    "the removed target ends the check in under 1 s" "$(awk -v s="$goneAfterS" 'BEGIN { printf "%.6f s", s }'): $(verdict "$goneAfterS" 1)" \
    "peak memory of the check under 64 MB for $flatEntries entries" "$peakMB MB: $(verdict "$peakMB" 64)" \
    "the window served at least every 100 ms (flat folder)" "$(ms "$(largest flat.gap)") ms: $(verdict "$(largest flat.gap)" 0.1)"
case $goneResult in
    "target_gone 1, missing $((goneFiles - goneAfter)) of $goneFiles files,"*) ;;
    *) echo "  the check with the target gone did not report it as gone with the rest missing: $goneResult" ;;
esac
