#!/usr/bin/env bash
# Packs a built ZelkorBackup.exe for users:
#   installer/package.sh BUILD_DIR OUT_DIR
# writes into OUT_DIR the setup ZelkorBackup-<version>-Setup.exe, the MSI
# package ZelkorBackup-<version>.msi (installer/ZelkorBackup.wxs, built with
# wixl), the portable ZelkorBackup-<version>-portable.zip (the exe and the
# guide), SHA256SUMS over the three and ZelkorBackup-<version>-Freigabe.txt
# (the version, the MSI's product and upgrade codes, each package's SHA-256).
# The version is the one the build put into its version header.
# The setup also installs Deinstallieren.exe (installer/front/), built here,
# and shows a picture made here from the program's logo. The icons, the logo
# and the guide's pictures of the icons are the build's (cmake/icons.cmake).
# With ZB_SIGN_CERT and ZB_SIGN_KEY (or ZB_SIGN_PKCS12) set, the exe,
# Deinstallieren.exe, the uninstaller, the setup and the MSI are signed
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

# Deinstallieren.exe, which waits for the uninstaller, Ordnerrechte.exe,
# which secures an installation folder outside Program Files for the setup,
# and Vorgabe.exe, which puts an administrator's preset in place
# (installer/front/). All load DLLs from System32 only, as the program does.
x86_64-w64-mingw32-windres -I "$build/generated" "$here/front/Deinstallieren.rc" -O coff -o "$work/front.res"
# Vorgabe.exe judges a preset by the program's own rules (core/preset_rules.*).
for helper in Deinstallieren Ordnerrechte Vorgabe; do
    res=()
    [ "$helper" = Deinstallieren ] && res=("$work/front.res")
    [ "$helper" = Vorgabe ] && res=("$root"/core/{preset_rules,settings,message,paths}.cpp)
    x86_64-w64-mingw32-g++ -std=c++20 -O2 -static -I "$root" -municode -mwindows -Wall -Werror \
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
    "$here/sign.sh" "$work/Vorgabe.exe"
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
    -DRIGHTS="$work/Ordnerrechte.exe" -DPRESET="$work/Vorgabe.exe" \
    -DWIZARD_BMP="$work/wizard.bmp" -DICON="$pictures/ZelkorBackup.ico" -DOUTFILE="$out/$setup" \
    "${sign_define[@]}" "$here/ZelkorBackup.nsi"

# The MSI package for deployment tools. wixl takes its sources by relative
# name only. The product code follows from the version (a name-based UUID in
# the upgrade code's namespace), so another build of the same version is the
# same product, which Windows Installer refuses to install twice (1638).
upgrade_code=57768754-6C54-4FE7-AA98-CC76BD7A282A
product_code=$(perl -MDigest::SHA=sha1_hex -e '($n = $ARGV[0]) =~ s/-//g;
    $h = substr(sha1_hex(pack("H*", $n) . $ARGV[1]), 0, 32); substr($h, 12, 1) = "5";
    substr($h, 16, 1) = sprintf("%x", (hex(substr($h, 16, 1)) & 3) | 8);
    $h =~ s/^(.{8})(.{4})(.{4})(.{4})/$1-$2-$3-$4-/; print uc $h' "$upgrade_code" "$dotted")
msi="ZelkorBackup-$version.msi"
rm -f "$out/$msi"
cp "$here/ZelkorBackup.wxs" "$pictures/ZelkorBackup.ico" "$work/"
grep -q "UpgradeCode=\"$upgrade_code\"" "$work/ZelkorBackup.wxs" || { echo "package.sh: upgrade code differs from ZelkorBackup.wxs" >&2; exit 1; }
(cd "$work" && wixl -a x64 -D Version="$version" -D VersionDotted="$dotted" -D ProductCode="$product_code" \
    -D Exe=ZelkorBackup.exe -D Guide=Anleitung.html -D Preset=Vorgabe.exe -D Rights=Ordnerrechte.exe \
    -D Icon=ZelkorBackup.ico -o "$msi" ZelkorBackup.wxs 2>wixl.log) || { cat "$work/wixl.log" >&2; exit 1; }
"$here/msi-tables.sh" "$work/$msi"
[ ${#sign_define[@]} -eq 0 ] || "$here/sign.sh" "$work/$msi"
cp "$work/$msi" "$out/$msi"

# The portable package unpacks into a folder of its own.
mkdir -p "$work/zip/ZELKOR Backup"
cp "$work/ZelkorBackup.exe" "$work/Anleitung.html" "$work/zip/ZELKOR Backup/"
(cd "$work/zip" && zip -q -X -r "$out/$zip" "ZELKOR Backup")

(cd "$out" && sha256sum "$setup" "$msi" "$zip" >SHA256SUMS)

# What an administrator needs for detection rules and to check a download,
# in one short file.
release="ZelkorBackup-$version-Freigabe.txt"
{
    printf 'ZELKOR Backup %s\r\n' "$version"
    printf 'DisplayVersion (Setup und MSI): %s\r\n' "$dotted"
    printf 'MSI-Produktcode: {%s}\r\n' "$product_code"
    printf 'MSI-Upgradecode: {%s}\r\n' "$upgrade_code"
    printf 'SHA-256:\r\n'
    (cd "$out" && sha256sum "$setup" "$msi" "$zip") | sed 's/$/\r/'
} >"$out/$release"
echo "Written to $out: $setup, $msi, $zip, SHA256SUMS, $release"
