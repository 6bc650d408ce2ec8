#!/usr/bin/env bash
# Copy and delete benchmark. Times, interleaved round by round, `cp -a` and
# `rm -rf` against the program's folder copy (copyfiles) and delete
# (dateredundanz) on the POSIX stand-ins and in the Windows build under Wine;
# then the program's own share of a copy under Wine, and the CPU time of one
# whole backup run under Wine. Prints figures, ratios and the goals beside
# them; a missed goal is no error.
#
#   ZB_BENCH_SCALE   shrinks both trees (default 1; 0.05 for a quick try)
#   ZB_BENCH_ROUNDS  rounds, each figure is their median (default 5)
#   ZB_BENCH_DIR     where the trees and copies go (default $TMPDIR or /tmp)
#   ZB_BENCH_KEEP=1  keeps the work folder
set -euo pipefail
# A decimal point in every figure, whatever the user's locale; Wine gets its
# German settings back in underWine.
export LC_ALL=C
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scale=${ZB_BENCH_SCALE:-1}
rounds=${ZB_BENCH_ROUNDS:-5}
jobs=$(nproc)

fail() { echo "copy_delete.sh: $*" >&2; exit 1; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ZB_BENCH_ROUNDS must be a positive whole number"
awk -v s="$scale" 'BEGIN { exit !(s + 0 > 0) }' || fail "ZB_BENCH_SCALE must be a number above 0"

"$root/scripts/install-deps.sh"

source "$root/bench/lib.sh"
zb_bench_build bench-native win
zb_bench_work zbbench
src=$work/src out=$work/out
mkdir -p "$src" "$out" "$work/appdata"

# Counts by the scale; at least one of each.
scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { v = int(n * s + 0.5); print (v < 1 ? 1 : v) }'; }
filesA=$(scaled 20000) foldersA=$(scaled 200) filesB=$(scaled 500)
echo "== making the trees in $work"
"$standin" trees "$src" "$filesA" "$foldersA" "$filesB"
# Two small sources for the backup run.
for k in 1 2; do
    mkdir -p "$src/small$k/sub"
    for f in a b c; do echo "Quelle $k $f" >"$src/small$k/$f.txt"; done
    echo "tief" >"$src/small$k/sub/d.txt"
done
entries() { find "$1" -mindepth 1 | wc -l; }
declare -A count
for t in A B; do count[$t]=$(entries "$src/$t"); done

zb_bench_wine "$src" "$out"
trash=$HOME/.local/share/Trash

# Runs a bench command; `wall` becomes its wall time, `inner` the time the
# program reported for the call itself, `own` the part of that outside the
# shell's operation.
wall= inner= own=
timed() {
    local t0=${EPOCHREALTIME/[.,]/}
    "$@" >"$work/stdout" 2>"$work/stderr" || { cat "$work/stderr" >&2; fail "failed: $*"; }
    local t1=${EPOCHREALTIME/[.,]/}
    sed -i 's/\r$//' "$work/stdout"  # Wine's console ends lines with CR LF
    wall=$(awk -v us=$((t1 - t0)) 'BEGIN { printf "%.6f", us / 1e6 }')
    inner=$(awk '$1 == "seconds" { print $2 }' "$work/stdout")
    own=$(awk '$1 == "seconds" { printf "%.6f", $2 - $4 }' "$work/stdout")
}
declare -A samples
add() {
    samples[$1]+=" $2"
    echo "$1 $2" >>"$work/samples.txt"
}

sameAsSource() {
    local n
    n=$(entries "$2")
    [ "$n" = "${count[$1]}" ] || fail "copy $2 has $n entries, the source ${count[$1]}"
}

# Round 1: what each copy kept, every entry compared with the source.
declare -A kept trashed
listing() { (cd "$1" && find . -mindepth 1 -type "$2" -printf '%P %T@\n' | sort); }
checkKept() {
    local tree=$1 name=$2 copy=$3 ty total same
    for ty in f d; do
        total=$(listing "$src/$tree" "$ty" | wc -l)
        same=$(comm -12 <(listing "$src/$tree" "$ty") <(listing "$copy" "$ty") | wc -l)
        kept[$tree.$name.$ty]="$same/$total"
    done
    total=$(cd "$src/$tree" && find . -mindepth 1 -name '.*' | wc -l)
    same=$(cd "$copy" && find . -mindepth 1 -name '.*' | wc -l)
    kept[$tree.$name.dot]="$same/$total"
}

echo "== warming up Wine"
timed underWine copy 'S:\small1\' 'T:\warmup'
rm -rf "$out/warmup"

# The contenders, given the tree: each copies it into a fresh folder, then
# deletes that copy its own way (the bare call's copy is removed untimed).
# Pairing them gives every copy the same surroundings: at most one copy of
# the tree on the disk and in memory, and a delete just before, as in a
# backup run. Both weigh on the machine of bench/RESULTS.md: there ext4
# creates files far slower in space that a delete has just freed, and a copy
# that needs much more memory than the one before it may wait for the host.
cpPair() {
    timed cp -a "$src/$1" "$out/cp-$1"; add "$1.copy.cp" "$wall"
    checked cp "$1"
    sync; timed rm -rf "$out/cp-$1"; add "$1.del.rm" "$wall"
}
standInPair() {
    timed env APPDATA="$work/appdata" "$standin" copy "$src/$1" "$out/si-$1"; add "$1.copy.si" "$wall"
    checked si "$1"
    timed "$standin" check "$src/$1" "$out/si-$1"; add "$1.check.si" "$inner"
    sync; timed env APPDATA="$work/appdata" "$standin" delete "$out/si-$1"; add "$1.del.si" "$wall"
}
winePair() {
    timed underWine copy "S:\\$1\\" "T:\\wi-$1"
    add "$1.copy.wi" "$inner"; add "$1.copy.wiproc" "$wall"; add "$1.copy.own" "$own"
    checked wi "$1"
    timed underWine check "S:\\$1\\" "T:\\wi-$1"; add "$1.check.wi" "$inner"
    sync; timed underWine delete "T:\\wi-$1"; add "$1.del.wi" "$inner"; add "$1.del.wiproc" "$wall"
    # FOF_ALLOWUNDO: Wine moves the folder into the recycle bin.
    if [ "$round" = 1 ]; then trashed[$1]=$(find "$trash/files" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l); fi
    rm -rf "$trash"
}
barePair() {
    timed underWine bare "S:\\$1\\" "T:\\wb-$1"; add "$1.copy.bare" "$inner"
    checked wb "$1"
    rm -rf "$out/wb-$1"
}
# A copy has every entry of the source; in round 1, what it kept is recorded.
checked() {
    sameAsSource "$2" "$out/$1-$2"
    if [ "$round" = 1 ] && [ "$1" != wb ]; then checkKept "$2" "$1" "$out/$1-$2"; fi
}
# Runs the contenders one after the other, each round starting one later, so
# that none always runs first or always follows the same one. The sync keeps
# one contender's write-back out of the next one's time.
inTurn() {
    local tree=$1 i k
    shift
    for ((i = 0; i < $#; i++)); do
        k=$(((i + round - 1) % $# + 1))
        sync
        "${!k}" "$tree"
    done
}

for round in $(seq "$rounds"); do
    echo "== round $round of $rounds"
    for t in A B; do
        inTurn "$t" cpPair standInPair winePair barePair
        for c in cp si wi wb; do [ ! -e "$out/$c-$t" ] || fail "$out/$c-$t was not deleted"; done
    done
done

echo "== Wine idle for 20 s, then one backup run under Wine (about 20 s)"
# CPU seconds so far of wineserver and Xvfb, and of the prefix's other
# processes (Wine's own services); read while no bench program runs.
prefixCpu() {
    local f pid stat servers=0 background=0
    for f in $({ grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null || true
                 echo "/proc/$xvfb_pid/environ"; } | sort -u); do
        pid=${f#/proc/} pid=${pid%/environ}
        stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
        stat=${stat##*) }
        set -- $stat
        case $(cat "/proc/$pid/comm" 2>/dev/null) in
            wineserver* | Xvfb) servers=$((servers + ${12} + ${13})) ;;
            *) background=$((background + ${12} + ${13})) ;;
        esac
    done
    awk -v s="$servers" -v b="$background" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f %.3f", s / hz, b / hz }'
}
# Seconds between two prefixCpu readings: servers and background.
cpuDelta() {
    awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.3f %.3f", y[1] - x[1], y[2] - x[2] }'
}
idle0=$(prefixCpu)
sleep 20
idle1=$(prefixCpu)
read -r _ idleBackground <<<"$(cpuDelta "$idle0" "$idle1")"
mkdir -p "$out/run"
cpu0=$(prefixCpu)
TIMEFORMAT='%3R %3U %3S'
{ time underWine run 'S:\small1' 'S:\small2' 'T:\run' >"$work/stdout" 2>"$work/stderr"; } 2>"$work/time" ||
    { cat "$work/stderr" >&2; fail "the backup run failed"; }
cpu1=$(prefixCpu)
sed -i 's/\r$//' "$work/stdout"
read -r _ runWall _ runCpu <"$work/stdout"
read -r procWall procUser procSys <"$work/time"
read -r runServers runBackground <<<"$(cpuDelta "$cpu0" "$cpu1")"
[ -f "$out/run/$(date +%u)/P2/sub/d.txt" ] || fail "the backup run left no copy in $out/run"

# ---- Report -------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f x", a / b }'; }
size() { du -s --apparent-size --block-size=1M "$1" | cut -f1; }
row() {  # label key reference
    local m lo hi
    read -r m lo hi < <(stats "$2")
    printf '    %-44s %9.3f s  %8.3f..%-8.3f %s\n' "$1" "$m" "$lo" "$hi" "$(ratio "$m" "$(median "$3")")"
}
echo
echo "ZELKOR Backup: copy and delete benchmark, $(date '+%Y-%m-%d %H:%M')"
echo "scale $scale, $rounds rounds, contenders in turn; median, min..max, ratio to cp -a / rm -rf"
echo "$(nproc) CPU cores, $(/usr/lib/wine/wine64 --version 2>/dev/null || echo 'Wine ?')," \
    "work folder on $(df --output=fstype "$work" | tail -n1)"
for t in A B; do
    echo
    if [ "$t" = A ]; then
        echo "Tree A: $filesA files of 1-8 KiB in $(find "$src/A" -mindepth 1 -type d | wc -l) folders," \
            "$(size "$src/A") MiB"
    else
        echo "Tree B: $filesB files of 0.25-4 MiB, $(size "$src/B") MiB"
    fi
    echo "  copy into a fresh folder"
    row "cp -a" "$t.copy.cp" "$t.copy.cp"
    row "stand-in copyfiles (whole process)" "$t.copy.si" "$t.copy.cp"
    row "Wine copyfiles (the call)" "$t.copy.wi" "$t.copy.cp"
    row "Wine copyfiles (whole wine64 process)" "$t.copy.wiproc" "$t.copy.cp"
    row "Wine bare SHFileOperationW (the call)" "$t.copy.bare" "$t.copy.cp"
    echo "  the check of that copy against its source (inside copyfiles; here once more, alone)"
    row "stand-in check" "$t.check.si" "$t.copy.cp"
    row "Wine check" "$t.check.wi" "$t.copy.cp"
    echo "  delete that copy"
    row "rm -rf" "$t.del.rm" "$t.del.rm"
    row "stand-in dateredundanz (whole process)" "$t.del.si" "$t.del.rm"
    row "Wine dateredundanz (the call)" "$t.del.wi" "$t.del.rm"
    row "Wine dateredundanz (whole wine64 process)" "$t.del.wiproc" "$t.del.rm"
    echo "    (Wine's delete moves the folder into the recycle bin: ${trashed[$t]} entry found there after round 1)"
done

echo
echo "Kept by the copies (round 1; every entry compared with the source, times to the nanosecond)"
printf '  %-28s %-14s %-14s %s\n' "" "file times" "folder times" "dot entries"
for t in A B; do
    for c in cp:"cp -a" si:"stand-in copyfiles" wi:"Wine copyfiles"; do
        printf '  %-28s %-14s %-14s %s\n' "tree $t, ${c#*:}" "${kept[$t.${c%%:*}.f]}" "${kept[$t.${c%%:*}.d]}" \
            "${kept[$t.${c%%:*}.dot]}"
    done
done

echo
echo "Program overhead around the shell's copy under Wine"
declare -A overhead
for t in A B; do
    read -r overhead[$t] line < <(awk -v c="$(median "$t.copy.wi")" -v b="$(median "$t.copy.bare")" 'BEGIN {
        p = (c - b) / b * 100
        printf "%.1f %.3f s - %.3f s = %+.3f s = %+.1f %% of the bare call\n", p, c, b, c - b, p }')
    echo "  tree $t, median copyfiles - median bare SHFileOperationW: $line"
    awk -v t="$t" -v o="$(median "$t.copy.own")" -v b="$(median "$t.copy.bare")" 'BEGIN {
        printf "  tree %s, inside copyfiles, time outside the shell port call:    %.4f s = %.2f %% of the bare call\n",
               t, o, o / b * 100 }'
done

echo
echo "The check after the copy, against the copy's time"
for t in A B; do
    awk -v t="$t" -v cs="$(median "$t.check.si")" -v si="$(median "$t.copy.si")" \
        -v cw="$(median "$t.check.wi")" -v wi="$(median "$t.copy.wi")" -v b="$(median "$t.copy.bare")" 'BEGIN {
        printf "  tree %s, stand-in: check %.3f s of copyfiles %.3f s = %.1f %%\n", t, cs, si, cs / si * 100
        printf "  tree %s, Wine:     check %.3f s of copyfiles %.3f s = %.1f %% (of the bare shell copy %.1f %%)\n",
               t, cw, wi, cw / wi * 100, cw / b * 100 }'
done

echo
echo "CPU of one backup run under Wine (miExecNowClick, two small sources, four 5-s pauses)"
cpuRow() { printf '  %-72s %7.3f s\n' "$1" "$2"; }
cpuRow "wall time of the run" "$runWall"
cpuRow "CPU of the program during the run (GetProcessTimes, 10 ms steps)" "$runCpu"
cpuRow "CPU of the whole wine64 process (start, window, run, exit; ${procWall} s)" \
    "$(awk -v u="$procUser" -v s="$procSys" 'BEGIN { print u + s }')"
cpuRow "CPU of wineserver and Xvfb meanwhile" "$runServers"
cpuRow "CPU of Wine's own services meanwhile (services.exe, winedevice.exe...)" "$runBackground"
cpuRow "  the same services over 20 s before, with no program running" "$idleBackground"

echo
echo "Goals (reported, not enforced)"
printf '  %-62s A %s, B %s\n' "stand-in copy within 1.05 x cp -a" \
    "$(ratio "$(median A.copy.si)" "$(median A.copy.cp)")" "$(ratio "$(median B.copy.si)" "$(median B.copy.cp)")"
printf '  %-62s file times A %s, B %s; dot entries A %s, B %s\n' "  ... keeping modification times and hidden entries" \
    "${kept[A.si.f]}" "${kept[B.si.f]}" "${kept[A.si.dot]}" "${kept[B.si.dot]}"
printf '  %-62s A %+.1f %%, B %+.1f %%\n' "program overhead under 5 % of a bare SHFileOperationW (check included)" \
    "${overhead[A]}" "${overhead[B]}"
pct() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.1f %%", a / b * 100 }'; }
printf '  %-62s stand-in %s, Wine %s\n' "the check of tree A at most 10 % of the copy's time" \
    "$(pct A.check.si A.copy.si)" "$(pct A.check.wi A.copy.wi)"
printf '  %-62s %.3f s\n' "a run with 20 s of pauses under 0.5 s CPU (the program)" "$runCpu"
