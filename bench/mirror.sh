#!/usr/bin/env bash
# The run that keeps the weekday folder (NurAenderungen=1) against the full
# run that deletes and copies everything, `rsync -a` and `cp -a`: natively on
# the stand-ins over tree A (20,000 small files in 200 folders) and a flat
# folder of 200,000 files, and under Wine over tree A. Each contender keeps
# its own copy of the tree: the kept run brings its copy level once into an
# empty folder, once unchanged and once after 1 % of the files changed, as
# rsync does with its copy. Prints figures, ratios and the goals beside them;
# a missed goal is no error.
#
#   ZB_BENCH_SCALE       shrinks both trees (default 1; 0.05 for a quick try)
#   ZB_BENCH_WINE_SCALE  tree A under Wine, as a share of the native one
#                        (default 1; the full run under Wine takes minutes)
#   ZB_BENCH_ROUNDS      native rounds, each figure is their median (default 3);
#                        Wine runs once
#   ZB_BENCH_DIR         where the trees and copies go (default $TMPDIR or /tmp)
#   ZB_BENCH_KEEP=1      keeps the work folder
set -euo pipefail
export LC_ALL=C  # a decimal point in every figure; Wine gets its German settings back in underWine
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scale=${ZB_BENCH_SCALE:-1}
wineScale=${ZB_BENCH_WINE_SCALE:-1}
rounds=${ZB_BENCH_ROUNDS:-3}
jobs=$(nproc)

fail() { echo "mirror.sh: $*" >&2; exit 1; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ZB_BENCH_ROUNDS must be a positive whole number"
for s in "$scale" "$wineScale"; do
    awk -v s="$s" 'BEGIN { exit !(s + 0 > 0) }' || fail "ZB_BENCH_SCALE and ZB_BENCH_WINE_SCALE must be numbers above 0"
done

"$root/scripts/install-deps.sh"
command -v rsync >/dev/null || fail "rsync is missing (apt-get install rsync)"

source "$root/bench/lib.sh"
zb_bench_build bench-native win
zb_bench_work zbmirror
src=$work/src out=$work/out
mkdir -p "$src" "$out" "$work/appdata"
export APPDATA=$work/appdata

scaled() { awk -v n="$1" -v s="$2" 'BEGIN { v = int(n * s + 0.5); print (v < 1 ? 1 : v) }'; }
filesA=$(scaled 20000 "$scale") foldersA=$(scaled 200 "$scale") filesFlat=$(scaled 200000 "$scale")
filesW=$(scaled "$filesA" "$wineScale") foldersW=$(scaled "$foldersA" "$wineScale")
echo "== making the trees in $work"
"$standin" trees "$src/trees" "$filesA" "$foldersA" 0
mv "$src/trees/A" "$src/A" && rm -rf "$src/trees"
"$standin" flat "$src/flat" "$filesFlat"
"$standin" trees "$src/wtrees" "$filesW" "$foldersW" 0
mv "$src/wtrees/A" "$src/W" && rm -rf "$src/wtrees"
entries() { find "$1" -mindepth 1 | wc -l; }
declare -A count
for t in A flat W; do count[$t]=$(entries "$src/$t"); done

wall= inner= status=
timed() {
    local t0=${EPOCHREALTIME/[.,]/}
    "$@" >"$work/stdout" 2>"$work/stderr" || { cat "$work/stderr" >&2; fail "failed: $*"; }
    local t1=${EPOCHREALTIME/[.,]/}
    sed -i 's/\r$//' "$work/stdout"
    wall=$(awk -v us=$((t1 - t0)) 'BEGIN { printf "%.6f", us / 1e6 }')
    inner=$(awk '$1 == "seconds" { print $2 }' "$work/stdout")
    status=$(sed -n 's/.*status //p' "$work/stdout")
}
field() { awk -v k="$1" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' "$work/stdout"; }
declare -A samples note
add() { samples[$1]+=" $2"; }
# A copy must end as its source: the same entries, every file with its size
# and modification time, to the 100 ns that Windows keeps (a file written on
# Linux has nanoseconds).
listing() {
    (cd "$1" && find . -mindepth 1 -printf '%P %y %s %T@\n' |
        sed -e 's/ d [0-9]* [0-9.]*$/ d/' -e 's/\(\.[0-9]\{7\}\)[0-9]*$/\1/' | sort)
}
sameAsSource() {
    diff <(listing "$1") <(listing "$2") >"$work/diff" || { head -n 6 "$work/diff" >&2; fail "$2 is not level with $1"; }
}
# Changes 1 % of the files (every hundredth, shifted each round): one byte
# more and a new modification time.
changeOnePercent() {
    find "$1" -type f | sort | awk -v r="$2" 'NR % 100 == r % 100' | while read -r f; do printf x >>"$f"; done
}
changedFiles() { find "$1" -type f | sort | awk -v r="$2" 'NR % 100 == r % 100' | wc -l; }

native() {  # tree round
    local t=$1 r=$2
    rm -rf "$out/cp-$t" "$out/mi-$t"
    sync; timed cp -a "$src/$t" "$out/cp-$t"; add "$t.cp" "$wall"
    sameAsSource "$src/$t" "$out/cp-$t"
    # The full run: the old copy deleted, the tree copied through the shell's stand-in.
    [ -e "$out/full-$t" ] || cp -a "$src/$t" "$out/full-$t"
    sync; timed "$standin" delete "$out/full-$t"; local del=$wall
    sync; timed "$standin" copy "$src/$t" "$out/full-$t"
    add "$t.full" "$(awk -v a="$del" -v b="$wall" 'BEGIN { printf "%.6f", a + b }')"
    sync; timed "$standin" mirror "$src/$t" "$out/mi-$t"; add "$t.first" "$wall"
    sameAsSource "$src/$t" "$out/mi-$t"
    sync; timed "$standin" mirror "$src/$t" "$out/mi-$t"; add "$t.same" "$wall"; add "$t.peak" "$(field peak_kib)"
    note[$t.same]=$status
    [ -e "$out/rs-$t" ] || rsync -a "$src/$t/" "$out/rs-$t/"
    sync; timed rsync -a --delete "$src/$t/" "$out/rs-$t/"; add "$t.rsame" "$wall"
    changeOnePercent "$src/$t" "$r"
    note[$t.changed]=$(changedFiles "$src/$t" "$r")
    sync; timed "$standin" mirror "$src/$t" "$out/mi-$t"; add "$t.one" "$wall"; note[$t.one]=$status
    sameAsSource "$src/$t" "$out/mi-$t"
    sync; timed rsync -a --delete "$src/$t/" "$out/rs-$t/"; add "$t.rone" "$wall"
    sameAsSource "$src/$t" "$out/rs-$t"
}

for round in $(seq "$rounds"); do
    echo "== native round $round of $rounds"
    native A "$round"
    native flat "$round"
done

zb_bench_wine "$src" "$out"
echo "== under Wine, tree A with $filesW files (once)"
mkdir -p "$src/small" && echo klein >"$src/small/a.txt"
timed underWine mirror 'S:\small\' 'T:\warmup\'
rm -rf "$out/warmup"
cp -a "$src/W" "$out/wfull"
sync; timed underWine delete 'T:\wfull'; del=$inner
rm -rf "$HOME/.local/share/Trash"  # FOF_ALLOWUNDO: Wine moves the folder into the recycle bin
sync; timed underWine copy 'S:\W\' 'T:\wfull\'
add W.full "$(awk -v a="$del" -v b="$inner" 'BEGIN { printf "%.6f", a + b }')"
# The room the next full run needs, told before it deletes that copy.
sync; timed underWine estimate 'S:\W\' 'T:\wfull'; add W.est "$inner"
sync; timed underWine mirror 'S:\W\' 'T:\wmi\'; add W.first "$inner"
sameAsSource "$src/W" "$out/wmi"
sync; timed underWine mirror 'S:\W\' 'T:\wmi\'; add W.same "$inner"; note[W.same]=$status
sync; timed underWine estimate-kept 'S:\W\' 'T:\wmi'; add W.estk "$inner"
changeOnePercent "$src/W" 1
note[W.changed]=$(changedFiles "$src/W" 1)
sync; timed underWine mirror 'S:\W\' 'T:\wmi\'; add W.one "$inner"; note[W.one]=$status
sameAsSource "$src/W" "$out/wmi"

# ---- Report -------------------------------------------------------------
ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.2f x", a / b }'; }
row() {  # label key reference
    local m lo hi
    read -r m lo hi < <(stats "$2")
    printf '    %-46s %9.3f s  %8.3f..%-8.3f %s\n' "$1" "$m" "$lo" "$hi" "$(ratio "$2" "$3")"
}
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v + 0 <= g + 0 ? "met" : "MISSED") }'; }
x() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.3f", a / b }'; }
echo
echo "ZELKOR Backup: the kept weekday folder (NurAenderungen=1), $(date '+%Y-%m-%d %H:%M')"
echo "scale $scale, native $rounds rounds (median, min..max), Wine once; $(nproc) CPU cores," \
    "load $(cut -d' ' -f1-3 /proc/loadavg), work folder on $(df --output=fstype "$work" | tail -n1)"
echo "$(rsync --version | head -n1 | cut -c1-40); $(/usr/lib/wine/wine64 --version 2>/dev/null || echo 'Wine ?')"
for t in A flat; do
    echo
    echo "Natively, stand-ins, whole processes: $t (${count[$t]} entries); ratio to the row named"
    echo "  into an empty folder (ratio to cp -a)"
    row "cp -a" "$t.cp" "$t.cp"
    row "full run: delete + copyfiles (option off)" "$t.full" "$t.cp"
    row "mirrorfiles, first run" "$t.first" "$t.cp"
    echo "  over an unchanged copy (ratio to rsync -a)"
    row "rsync -a --delete" "$t.rsame" "$t.rsame"
    row "mirrorfiles" "$t.same" "$t.rsame"
    echo "  after ${note[$t.changed]} files (1 %) changed (ratio to rsync -a)"
    row "rsync -a --delete" "$t.rone" "$t.rone"
    row "mirrorfiles" "$t.one" "$t.rone"
    echo "    status line at the end: unchanged \"${note[$t.same]}\", 1 %: \"${note[$t.one]}\""
done
echo
echo "Under Wine, the calls alone: tree A with $filesW files (${count[W]} entries)" \
    "$( [ "$filesW" = "$filesA" ] || echo "(smaller than the native tree A)")"
row "full run: dateredundanz + copyfiles (option off)" W.full W.full
row "mirrorfiles, first run" W.first W.full
row "mirrorfiles over an unchanged copy" W.same W.full
row "mirrorfiles after ${note[W.changed]} files (1 %) changed" W.one W.full
row "the room a full run needs (before it deletes)" W.est W.full
row "the room a kept run needs (unchanged copy)" W.estk W.full
echo "    status line at the end: unchanged \"${note[W.same]}\", 1 %: \"${note[W.one]}\""
peakMB=$(awk -v k="$(largest flat.peak)" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
pct=$(awk -v a="$(median W.same)" -v b="$(median W.full)" 'BEGIN { printf "%.2f", a / b * 100 }')
est=$(awk -v a="$(median W.est)" -v b="$(median W.full)" 'BEGIN { printf "%.2f", a / b * 100 }')
estk=$(awk -v a="$(median W.estk)" -v b="$(median W.full)" 'BEGIN { printf "%.2f", a / b * 100 }')
echo
echo "Goals (reported, not enforced)"
printf '  %-70s %s\n' \
    "unchanged tree A under Wine at most 2 % of the full run" "$pct %: $(verdict "$pct" 2)" \
    "the room a full run needs, under Wine at most 2 % of the full run" "$est %: $(verdict "$est" 2)" \
    "the room a kept run needs, under Wine at most 2 % of the full run" "$estk %: $(verdict "$estk" 2)" \
    "natively, unchanged tree A at most 1.5 x rsync -a" "$(x A.same A.rsame) x: $(verdict "$(x A.same A.rsame)" 1.5)" \
    "natively, tree A with 1 % changed at most 1.5 x rsync -a" "$(x A.one A.rone) x: $(verdict "$(x A.one A.rone)" 1.5)" \
    "natively, unchanged flat folder at most 1.5 x rsync -a" "$(x flat.same flat.rsame) x: $(verdict "$(x flat.same flat.rsame)" 1.5)" \
    "natively, flat folder with 1 % changed at most 1.5 x rsync -a" "$(x flat.one flat.rone) x: $(verdict "$(x flat.one flat.rone)" 1.5)" \
    "natively, the first run into an empty folder within 2 x cp -a (tree A)" "$(x A.first A.cp) x: $(verdict "$(x A.first A.cp)" 2)" \
    "natively, the first run into an empty folder within 2 x cp -a (flat)" "$(x flat.first flat.cp) x: $(verdict "$(x flat.first flat.cp)" 2)" \
    "peak memory under 64 MB for the flat folder (${count[flat]} entries)" "$peakMB MB: $(verdict "$peakMB" 64)"
