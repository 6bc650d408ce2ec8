#!/usr/bin/env bash
# Packs a built ZelkorBackup.exe for users:
#   installer/package.sh BUILD_DIR OUT_DIR
# writes into OUT_DIR the setup ZelkorBackup-<version>-Setup.exe, the portable
# ZelkorBackup-<version>-portable.zip (the exe and the guide) and SHA256SUMS
# over both. The version is the one the build put into its version header.
# The setup also installs Deinstallieren.exe (installer/front/), built here,
# and shows a picture made here from the program's logo. The icons, the logo
# and the guide's pictures of the icons are the build's (cmake/icons.cmake).
# With ZB_SIGN_CERT and ZB_SIGN_KEY (or ZB_SIGN_PKCS12) set, the exe,
# Deinstallieren.exe, the uninstaller and the setup are signed
# (installer/sign.sh); without the time stamp asked for, packaging fails.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
mkdir -p "${2:?output folder}"
out=$(cd "$2" && pwd)

header="$build/generated/version.h"
version=$(sed -n 's/^#define ZB_VERSION_TEXT "\(.*\)"$/\1/p' "$header")
dotted=$(sed -n 's/^#define ZB_VERSION_DOTTED "\(.*\)"$/\1/p' "$header")
[ -n "$version" ] && [ -n "$dotted" ] || { echo "no version in $header" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zbpack.XXXXXX")
trap 'rm -rf "$work"' EXIT

cp "$build/ZelkorBackup.exe" "$work/ZelkorBackup.exe"
pictures="$build/generated"
"$here/render-guide.sh" "$root/docs/Anleitung.html" "$work/Anleitung.html" "$pictures"

# Deinstallieren.exe, which waits for the uninstaller, and Ordnerrechte.exe,
# which secures an installation folder outside Program Files for the setup
# (installer/front/). Both load DLLs from System32 only, as the program does.
x86_64-w64-mingw32-windres -I "$build/generated" "$here/front/Deinstallieren.rc" -O coff -o "$work/front.res"
for helper in Deinstallieren Ordnerrechte; do
    res=()
    [ "$helper" = Deinstallieren ] && res=("$work/front.res")
    x86_64-w64-mingw32-g++ -std=c++20 -O2 -static -municode -mwindows -Wall -Werror \
        "$here/front/$helper.cpp" "$root/win32/load_config.cpp" "${res[@]}" -lole32 -luuid -lntdll -o "$work/$helper.exe"
    # The symbol it needs first, then the symbols go.
    "$root/cmake/pe-load-config.sh" "$work/$helper.exe"
    x86_64-w64-mingw32-strip "$work/$helper.exe"
    "$root/cmake/pe-load-config.sh" --checksum "$work/$helper.exe"
done

sign_define=()
if [ -n "${ZB_SIGN_CERT:-}${ZB_SIGN_KEY:-}${ZB_SIGN_PKCS12:-}" ]; then
    "$here/sign.sh" "$work/ZelkorBackup.exe"
    "$here/sign.sh" "$work/Deinstallieren.exe"
    "$here/sign.sh" "$work/Ordnerrechte.exe"
    sign_define=(-DSIGN="$here/sign.sh")
fi

setup="ZelkorBackup-$version-Setup.exe"
zip="ZelkorBackup-$version-portable.zip"
rm -f "$out/$setup" "$out/$zip" "$out/SHA256SUMS"

# The picture of the welcome and finish pages: the logo, rendered at the size
# it is shown, and the program's name.
convert -size 164x314 gradient:'#ffffff-#c9dbef' \
    "$pictures/logo.png" -gravity north -geometry +0+70 -composite \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf -pointsize 16 -fill '#1f5fa8' \
    -annotate +0+185 'ZELKOR Backup' -flatten -alpha off -type TrueColor "BMP3:$work/wizard.bmp"

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_DOTTED="$dotted" \
    -DEXE="$work/ZelkorBackup.exe" -DGUIDE="$work/Anleitung.html" -DFRONT="$work/Deinstallieren.exe" \
    -DRIGHTS="$work/Ordnerrechte.exe" \
    -DWIZARD_BMP="$work/wizard.bmp" -DICON="$pictures/ZelkorBackup.ico" -DOUTFILE="$out/$setup" \
    "${sign_define[@]}" "$here/ZelkorBackup.nsi"

# The portable package unpacks into a folder of its own.
mkdir -p "$work/zip/ZELKOR Backup"
cp "$work/ZelkorBackup.exe" "$work/Anleitung.html" "$work/zip/ZELKOR Backup/"
(cd "$work/zip" && zip -q -X -r "$out/$zip" "ZELKOR Backup")

(cd "$out" && sha256sum "$setup" "$zip" >SHA256SUMS)
echo "Written to $out: $setup, $zip, SHA256SUMS"
