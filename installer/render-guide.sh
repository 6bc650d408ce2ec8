#!/usr/bin/env bash
# Makes the guide one self-contained page: every picture it names
# (src="name.png"), beside it or in one of the folders given after OUT.html
# (the build renders the pictures of the icons), is put into the page as a
# data address.
#   installer/render-guide.sh docs/Anleitung.html OUT.html [FOLDER...]
set -euo pipefail
src=${1:?guide} out=${2:?output}
shift 2
export ZB_GUIDE_DIRS
ZB_GUIDE_DIRS=$(printf '%s\n' "$(dirname "$src")" "$@")
# perl-base and coreutils only: both are on every Debian system.
perl -0777 -pe '
    s{src="([\w.-]+\.png)"}{
        my $name = $1;
        my ($file) = grep { -f } map { "$_/$name" } split /\n/, $ENV{ZB_GUIDE_DIRS};
        defined $file or die "$name is missing\n";
        my $data = `base64 -w0 "$file"`;
        "src=\"data:image/png;base64,$data\""
    }ge;
' "$src" >"$out.tmp"
mv "$out.tmp" "$out"
