#!/usr/bin/env bash
# Points the load configuration directory of a linked 64-bit exe at its
# `_load_config_used` (win32/load_config.cpp), which MinGW's ld 2.40 leaves
# unset, and writes the image's checksum anew:
#   cmake/pe-load-config.sh EXE [NM]
#   cmake/pe-load-config.sh --checksum EXE   the checksum only (after strip)
set -euo pipefail
u() { od -An -t "u$2" -j "$1" -N "$2" "$exe" | tr -d ' '; }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# The loader and signature tools compare it with the file: the sum of all
# 16-bit words with the carries folded back, the checksum field counted as
# zero, plus the file's length.
checksum() {
    local at=$(($(u 60 4) + 24 + 64)) sum
    sum=$(perl -e 'local $/; open(my $f, "<:raw", $ARGV[0]) or die; my $d = <$f>; my $len = length $d;
        substr($d, $ARGV[1], 4) = "\0\0\0\0"; $d .= "\0" if $len % 2;
        my $s = unpack("%64v*", $d); $s = ($s & 0xffff) + ($s >> 16) while $s >> 16;
        print $s + $len' "$exe" "$at")
    printf "$(le32 "$sum")" | dd of="$exe" bs=1 seek="$at" conv=notrunc status=none
}

if [ "${1:-}" = --checksum ]; then
    exe=${2:?exe}
    checksum
    exit
fi
exe=${1:?exe}
nm=${2:-x86_64-w64-mingw32-nm}
va=$("$nm" "$exe" | awk '$3 == "_load_config_used" { print $1 }')
[ -n "$va" ] || { echo "$exe: no _load_config_used" >&2; exit 1; }
pe=$(u 60 4)
[ "$(u $((pe + 24)) 2)" = $((0x20b)) ] || { echo "$exe: not a PE32+ image" >&2; exit 1; }
rva=$((0x$va - $(u $((pe + 24 + 24)) 8)))
# The directory's size is the structure's own first field.
size=$(x86_64-w64-mingw32-objdump -s --start-address=$((0x$va)) --stop-address=$((0x$va + 4)) "$exe" |
       awk '/^ [0-9a-f]+ [0-9a-f]+/ { print $2; exit }')
[ -n "$size" ] || { echo "$exe: cannot read _load_config_used" >&2; exit 1; }
size=$((0x${size:6:2}${size:4:2}${size:2:2}${size:0:2}))
# Optional header of PE32+: the data directories start at 112; entry 10.
printf "$(le32 $rva)$(le32 $size)" | dd of="$exe" bs=1 seek=$((pe + 24 + 112 + 10 * 8)) conv=notrunc status=none
checksum
