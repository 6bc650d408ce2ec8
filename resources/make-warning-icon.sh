#!/usr/bin/env bash
# Makes ZelkorBackup-Warnung.ico, the tray icon shown while a backup is not
# complete: the program icon with a yellow warning triangle in its lower right
# corner; and the guide's pictures of both tray icons (docs/symbol*.png). The
# results are committed, so neither the build nor the release needs this; run
# it again only when ZelkorBackup.ico or the mark changes:
#   resources/make-warning-icon.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$here/ZelkorBackup.ico
out=$here/ZelkorBackup-Warnung.ico
docs=$here/../docs
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The mark is drawn at eight times the size and averaged down, so its slanted
# edges are smooth while the "!" stays on whole pixels.
q=8
frames=()
# One frame per scaling of the small icon (100 % to 300 %). Per size: the
# triangle's width and the width of the "!". Both have the same parity, so
# the "!" sits exactly under the apex instead of smeared over two columns.
while read -r size width bar; do
    height=$(((width * 9 + 5) / 10))
    x0=$((size - width)) y0=$((size - height))
    stroke=$((size >= 32 ? 2 * q : q))
    half=$((stroke / 2))
    apex=$((x0 * q + width * q / 2))
    left=$((x0 * q + half)) right=$((size * q - half))
    top=$((y0 * q + half)) bottom=$((size * q - half))
    bar_x=$(((2 * x0 + width - bar) / 2))
    bar_top=$((y0 + (height * 32 + 50) / 100))
    bar_end=$((y0 + (height * 60 + 50) / 100))
    dot=$((bar_end + 2))
    dot_end=$((dot + (bar > 1 ? bar - 1 : 0)))

    # The icon has one 32 px frame of whole pixels; repeating each pixel and
    # averaging the blocks down keeps its edges free of the halos that
    # interpolating filters leave (and gives the 32 px frame back unchanged).
    convert "$src" -scale 800% -scale "${size}x${size}" "$tmp/base$size.png"
    convert -size $((size * q))x$((size * q)) xc:none \
        -fill '#FFC20E' -stroke '#5C4300' -strokewidth "$stroke" \
        -draw "stroke-linejoin round polygon $apex,$top $right,$bottom $left,$bottom" \
        -stroke none -fill '#1A1A1A' \
        -draw "rectangle $((bar_x * q)),$((bar_top * q)) $(((bar_x + bar) * q - 1)),$(((bar_end + 1) * q - 1))" \
        -draw "rectangle $((bar_x * q)),$((dot * q)) $(((bar_x + bar) * q - 1)),$(((dot_end + 1) * q - 1))" \
        -filter Box -resize "${size}x${size}" "$tmp/mark$size.png"
    # 32-bit frames with their alpha: a palette frame would lose the soft edges.
    convert "$tmp/base$size.png" "$tmp/mark$size.png" -compose over -composite \
        -type TrueColorAlpha "$tmp/frame$size.png"
    frames+=("$tmp/frame$size.png")
done <<'SIZES'
16 11 1
20 13 1
24 14 2
32 18 2
40 23 3
48 28 4
SIZES
convert "${frames[@]}" "$out"

# The guide shows the icons as the tray does at 200 %. No time stamps inside,
# so that an unchanged picture stays byte for byte the same.
png=(-strip -define png:exclude-chunks=date,time)
convert "$src" "${png[@]}" "$docs/symbol.png"
convert "$out[3]" "${png[@]}" "$docs/symbol-warnung.png"
