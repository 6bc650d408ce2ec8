#!/usr/bin/env bash
# Makes the guide one self-contained page: every picture it names beside it
# (src="name.png") is put into the page as a data address.
#   installer/render-guide.sh docs/Anleitung.html OUT.html
set -euo pipefail
src=${1:?guide} out=${2:?output}
export ZB_GUIDE_DIR
ZB_GUIDE_DIR=$(dirname "$src")
# perl-base and coreutils only: both are on every Debian system.
perl -0777 -pe '
    s{src="([\w.-]+\.png)"}{
        my $file = "$ENV{ZB_GUIDE_DIR}/$1";
        -f $file or die "$file is missing\n";
        my $data = `base64 -w0 "$file"`;
        "src=\"data:image/png;base64,$data\""
    }ge;
' "$src" >"$out.tmp"
mv "$out.tmp" "$out"
