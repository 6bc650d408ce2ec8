#!/usr/bin/env bash
# The release packages of a Windows build, tested under Wine in a throwaway
# prefix with its own virtual display and a temporary HOME:
#   tests/installer/installer_test.sh BUILD_DIR
# - the guide holds every message text of the program;
# - signed with a throwaway certificate, the exe, the setup and the
#   uninstaller verify, and SHA256SUMS matches;
# - the silent setup installs the files, the Start-menu entries, the
#   Uninstall key and the event source; the installed program starts and
#   shows its window;
# - the guide renders in Chromium without overflow at 800 and 1280 px, with
#   its pictures, its line breaks and the targets of its links;
# - a silent setup closes the idle installed program and starts it again;
#   during a backup the setup and the uninstaller wait /WARTEN= seconds and
#   exit with 1618, the run undisturbed; both write their logs; a copy from
#   elsewhere or the file in use by another account makes them exit with 3;
#   a window of the program's class in another program stops neither;
# - the guide's events, queries, exit codes and logs match the sources, and
#   the release file the packages;
# - an update stays in the installed folder and keeps the user's settings;
# - the silent uninstaller waits, exits with 0, leaves nothing behind, removes
#   the autostart entry and desktop shortcut the program made (and leaves its
#   mark, so that a reinstalled program brings the entry back) and the event
#   source, keeps those of another copy, and leaves Backup.ini and a backup
#   target untouched;
# - signing fails without the time stamp it was asked for;
# - the program's two icons and the setup's hold every frame from 16 to 256 px;
#   on an update the folder page and its button speak of the update.
# - both programs load DLLs from System32 only and state their true checksum;
#   a custom folder is made by the setup with rights only administrators may
#   change; a folder that exists, one below a link, and an update's folder
#   holding a hard link are refused and left exactly as they were; nothing
#   elevated loads a plug-in planted in the user's TEMP; an uninstall with a
#   TEMP that names a user's variable runs nothing from it and expands nothing.
# - deployment: a silent setup with /VORGABE= puts the preset in place, the
#   logon step of a new user gives the autostart entry and the program then
#   started runs the preset's schedule; the MSI's tables; the MSI installs
#   with VORGABE, upgrades keeping the settings and the preset, uninstalls;
#   each edition refuses while the other is installed.
# - one road in: the MSI refuses a folder made beforehand, as the setup does;
#   a file that is no preset, or a preset folder someone else made, stops the
#   setup (22, 25) and a repair of the MSI, placing nothing; a new account's
#   program takes nothing through a link at the preset's folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)

if [ -z "${ZB_INSTALLER_TEST_DISPLAY:-}" ]; then
    ZB_INSTALLER_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

: "${ZB_WINE_DIR:=$build/wine}"
source "$root/scripts/wine-env.sh"
# No Linux menu entries for the shortcuts the setup makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zbsetup.XXXXXX")
cleanup() {
    [ -z "${planter:-}" ] || kill "$planter" 2>/dev/null || true
    "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@" >"$tmp/out" 2>&1; then
        echo "ok   $what"
    else
        echo "FAIL $what"
        sed 's/^/     /' "$tmp/out"
        failures=$((failures + 1))
    fi
}
fails() { ! "$@"; }
exits_with() {  # exits_with CODE COMMAND...
    local want=$1 rc=0
    shift
    "$@" || rc=$?
    [ "$rc" = "$want" ] || { echo "exit code $rc, expected $want"; return 1; }
}
same_files() { cmp "$1" "$2" && cmp "$3" "$4"; }
wine() { "$ZB_WINE" "$@"; }

check "the guide explains every message of the program" \
    "$here/guide_texts.pl" "$root/resources/texts.h" "$root/docs/Anleitung.html"
check "the guide explains every text of the restore window and the catalog" \
    "$here/guide_texts.pl" "$root/resources/restore_texts.h" "$root/docs/Anleitung.html"
check "the guide's events, queries, exit codes and logs are the program's and the packages'" \
    "$here/guide_deploy.pl" "$root"

# --- Packages, signed with a certificate made for this test. The time-stamp
# server cannot be reached, so the signatures go without one, as allowed.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ZELKOR Backup Test" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$tmp/key.pem" -out "$tmp/cert.pem" >/dev/null 2>&1
export ZB_SIGN_CERT="$tmp/cert.pem" ZB_SIGN_KEY="$tmp/key.pem" ZB_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/
ZB_SIGN_ALLOW_NO_TIMESTAMP=1 "$root/installer/package.sh" "$build" "$tmp/dist" >/dev/null 2>"$tmp/package.log" ||
    { cat "$tmp/package.log"; exit 1; }
version=$(sed -n 's/^#define ZB_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/version.h")
dotted=$(sed -n 's/^#define ZB_VERSION_DOTTED "\(.*\)"$/\1/p' "$build/generated/version.h")
setup="$tmp/dist/ZelkorBackup-$version-Setup.exe"
unzip -q "$tmp/dist/ZelkorBackup-$version-portable.zip" -d "$tmp/zip"
portable="$tmp/zip/ZELKOR Backup"
verify() { osslsigncode verify -CAfile "$tmp/cert.pem" -in "$1"; }

sums_match() { (cd "$tmp/dist" && sha256sum -c SHA256SUMS); }
check "SHA256SUMS matches the setup and the ZIP" sums_match
check "the ZIP holds the exe and the guide" test -f "$portable/ZelkorBackup.exe" -a -f "$portable/Anleitung.html"
check "the guide needs nothing beside it" fails grep -Eq '(src|href)="[^"#:]+\.(png|css|js)"' "$portable/Anleitung.html"
check "the setup is signed" verify "$setup"
check "the exe is signed" verify "$portable/ZelkorBackup.exe"
cp "$build/ZelkorBackup.exe" "$tmp/unsigned.exe"
unchanged_when_unsigned() { fails "$root/installer/sign.sh" "$tmp/unsigned.exe" && cmp "$tmp/unsigned.exe" "$build/ZelkorBackup.exe"; }
check "without the time stamp asked for, nothing is signed" unchanged_when_unsigned
check "the guide renders cleanly in Chromium" "$here/guide_in_browser.sh" "$portable/Anleitung.html"

# --- A throwaway prefix whose desktop is a folder of this test.
zb_wine_fresh "$tmp"
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
for d in "$user_dir"/*; do
    if [ -L "$d" ]; then rm "$d" && mkdir "$d"; fi
done
desktop="$user_dir/Desktop"
settings="$user_dir/AppData/Roaming/ZelkorBackup"
program_dir="$WINEPREFIX/drive_c/Program Files/ZELKOR Backup"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZELKOR Backup"
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZELKOR Backup'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\ZELKOR Backup'
exe_win='C:\Program Files\ZELKOR Backup\ZelkorBackup.exe'
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -static -I"$root" "$here/probe.cpp" -limagehlp -o "$tmp/probe.exe"
# A System.dll as a user would plant it: it leaves a mark when it is loaded.
printf '#include <windows.h>\nBOOL WINAPI DllMain(HINSTANCE i, DWORD why, LPVOID r) {\n  if (why == DLL_PROCESS_ATTACH) CloseHandle(CreateFileA("C:\\\\Eingeschleust.txt", GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));\n  return TRUE;\n}\n' >"$tmp/plant.c"
x86_64-w64-mingw32-gcc -shared -O1 "$tmp/plant.c" -o "$tmp/System.dll"

check "the silent setup succeeds" wine "$setup" /S
check "the program and the guide are installed" same_files \
    "$program_dir/ZelkorBackup.exe" "$portable/ZelkorBackup.exe" "$program_dir/Anleitung.html" "$portable/Anleitung.html"
check "the uninstaller is installed and signed" eval 'verify "$program_dir/Deinstallieren.exe" && verify "$program_dir/Deinstallieren.dat"'
check "the Start-menu folder holds the program, the guide and the uninstaller" \
    test -f "$start_menu/ZELKOR Backup.lnk" -a -f "$start_menu/ZELKOR Backup - Anleitung.lnk" \
         -a -f "$start_menu/ZELKOR Backup deinstallieren.lnk"
uninstall_entry() {
    local p='C:\Program Files\ZELKOR Backup' out
    out=$(wine reg query "$uninst_key" | tr -d '\r')
    value() { grep -Fxq "    $1    $2    $3" <<<"$out" || { echo "no $1 $2 $3"; return 1; }; }
    value DisplayName REG_SZ "ZELKOR Backup" && value DisplayVersion REG_SZ "$dotted" &&
    value Publisher REG_SZ ZELKOR && value DisplayIcon REG_SZ "$p\ZelkorBackup.exe,0" &&
    value InstallLocation REG_SZ "$p" && value UninstallString REG_SZ "\"$p\Deinstallieren.exe\"" &&
    value QuietUninstallString REG_SZ "\"$p\Deinstallieren.exe\" /S" &&
    value NoModify REG_DWORD 0x1 && value NoRepair REG_DWORD 0x1 &&
    grep -Eq '^ +EstimatedSize +REG_DWORD +0x[0-9a-f]+$' <<<"$out"
}
check "the Uninstall key describes the installed program" uninstall_entry
event_source() {  # event_source EXE: the event viewer takes the texts from EXE
    local out
    out=$(wine reg query "$event_key" | tr -d '\r')
    grep -Fxq "    EventMessageFile    REG_EXPAND_SZ    $1" <<<"$out" &&
        grep -Fxq "    TypesSupported    REG_DWORD    0x7" <<<"$out" || { echo "$out"; return 1; }
}
check "the event source names the installed program" event_source "$exe_win"

# --- The installed program: its first start adds the autostart entry; its
# button makes the desktop shortcut.
wine "$exe_win" >/dev/null 2>&1 &
check "the installed program shows its window" wine "$tmp/probe.exe" window
check "the program makes its desktop shortcut" wine "$tmp/probe.exe" desktop-link
check "the program made its autostart entry" wine reg query "$run_key" /v "ZELKOR Backup"

# --- An update ends the idle program as the Restart Manager asks it to
# (Wine's Restart Manager only answers, so the setup sends the same messages
# to the program's windows) and starts it again; it never ends a copy it does
# not replace, known by its mutex, nor a program whose file another account
# uses.
pid_of() { wine "$tmp/probe.exe" pid | tr -d '\r'; }
setup_log="$WINEPREFIX/drive_c/windows/logs/ZelkorBackup-Setup.log"
first_pid=$(pid_of)
check "a silent setup closes the idle program and exits 0" exits_with 0 wine "$setup" /S
restarted() { wine "$tmp/probe.exe" window && [ "$(pid_of)" != "$first_pid" ]; }
check "the updated program runs again as a new process" restarted
logged() { iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | grep -Fx "$2" || { iconv -f UTF-16 -t UTF-8 "$1"; return 1; }; }
check "the setup's log tells the close and the end" eval 'logged "$setup_log" "ZELKOR Backup wurde über seine Fenster für die Installation beendet." && logged "$setup_log" "Fertig mit Code 0."'
check "the program still runs" wine "$tmp/probe.exe" running
check "its files are still there" cmp "$program_dir/ZelkorBackup.exe" "$portable/ZelkorBackup.exe"
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
wine "$tmp/probe.exe" foreign-window &
sleep 1
check "another program's window of the same class stops no setup" wine "$setup" /S
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
wine "$portable/ZelkorBackup.exe" >/dev/null 2>&1 &
wine "$tmp/probe.exe" window >/dev/null
check "a copy running from elsewhere is known by its mutex" exits_with 3 wine "$setup" /S
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
wine "$tmp/probe.exe" hold "$exe_win" &
sleep 1
check "the program file in use stops a silent uninstall" exits_with 3 wine "$program_dir/Deinstallieren.exe" /S
check "and a silent setup" exits_with 3 wine "$setup" /S
check "and nothing was removed" cmp "$program_dir/ZelkorBackup.exe" "$portable/ZelkorBackup.exe"
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w

# --- The user's settings and a backup target with a weekday folder.
mkdir -p "$tmp/usb/3/P1/Briefe" "$tmp/usb/3/P2"
echo "Angebot" >"$tmp/usb/3/P1/Briefe/Angebot.txt"
echo "Kunden" >"$tmp/usb/3/P2/Kunden.dat"
ln -s "$tmp/usb" "$WINEPREFIX/dosdevices/u:"
printf '[Backup]\r\nMit=1\r\nP1A=1\r\nP1P=C:\\Daten\r\nTAR1=U:\\\r\nZEI=23:00:00\r\nredundanz=1\r\n' >"$settings/Backup.ini"
user_data() { (cd "$settings" && find . -type f -exec sha256sum {} + && cd "$tmp/usb" && find . -type f -exec sha256sum {} +) | sort; }
user_data >"$tmp/before"
same_user_data() { user_data | cmp - "$tmp/before"; }

# An earlier update into another folder left the old program starting.
mkdir "$WINEPREFIX/drive_c/Alt"
cp "$program_dir/ZelkorBackup.exe" "$program_dir/Deinstallieren.exe" "$WINEPREFIX/drive_c/Alt/"
wine reg add "$run_key" /v "ZELKOR Backup" /d 'C:\Alt\ZelkorBackup.exe' /f >/dev/null 2>&1
check "a silent update succeeds" wine "$setup" /S '/D=C:\Anderswo'
check "the update stays in the installed folder" eval 'fails test -e "$WINEPREFIX/drive_c/Anderswo" && uninstall_entry'
check "the update keeps the settings" same_user_data
check "the update keeps the event source on the installed program" event_source "$exe_win"
check "the update keeps the autostart entry" wine reg query "$run_key" /v "ZELKOR Backup"
check "which starts the updated program" eval 'wine reg query "$run_key" /v "ZELKOR Backup" | grep -F "\"$exe_win\""'

# --- The icons, rendered from one drawing: every frame Windows asks for.
all_frames() {  # all_frames FILE NAME: the icon group NAME of FILE
    wrestool -x --type=14 --name="$2" "$1" >"$tmp/icon.ico" &&
        "$here/icon_frames.pl" "$tmp/icon.ico" | tee /dev/stderr |
        grep -Fxq '16 bmp32 20 bmp32 24 bmp32 32 bmp32 40 bmp32 48 bmp32 64 bmp32 256 png'
}
check "the program icon has every frame" all_frames "$program_dir/ZelkorBackup.exe" MAINICON
check "the warning icon has every frame" all_frames "$program_dir/ZelkorBackup.exe" WARNICON
check "the setup's icon has every frame" all_frames "$setup" 103

# --- The setup's pages on an update, as a user sees them.
wine "$setup" >/dev/null 2>&1 &
# The probe cancels the setup; one it could not cancel would keep Wine waiting.
wine "$tmp/probe.exe" setup-folder-page >"$tmp/page.out" || "$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
tr -d '\r' <"$tmp/page.out" | sed 's/ *$//' >"$tmp/page"
update_page() {
    sed -n '1,7p' "$tmp/page" | diff - <(cat <<EOF
caption: Aktualisierung von ZELKOR Backup $version
heading: Installierte Version aktualisieren
button: &Aktualisieren
text: ZELKOR Backup ist in diesem Ordner installiert und wird dort aktualisiert. Einen anderen Ordner wählen Sie, indem Sie ZELKOR Backup zuerst deinstallieren.

Klicken Sie auf „Aktualisieren“, um fortzufahren.
folder: C:\Program Files\ZELKOR Backup (fixed)
EOF
    ) && sed -n '8,9p' "$tmp/page" |
        grep -Ec '^(Benötigter|Verfügbarer) Speicher: [0-9]+((,[0-9]{1,2})? [MGT]B| KB)$' | grep -qx 2 ||
        { cat "$tmp/page"; return 1; }
}
check "on an update the folder page and its button say so, with sizes in German" update_page

# --- Uninstall: it waits for its work, so the folder is gone when it returns.
mark=(wine reg query 'HKCU\Software\ZELKOR Backup' /v AutostartWiederherstellen)
check "the silent uninstall succeeds" exits_with 0 wine "$program_dir/Deinstallieren.exe" /S
check "the program files are removed" fails test -e "$program_dir"
"$ZB_WINESERVER" -w
check "nothing of the uninstaller is left in TEMP" eval 'fails compgen -G "$user_dir/Temp/*"'
check "the Start-menu folder is removed" fails test -e "$start_menu"
check "the Uninstall key is removed" fails wine reg query "$uninst_key"
check "the event source is removed" fails wine reg query "$event_key"
check "the autostart entry is removed" fails wine reg query "$run_key" /v "ZELKOR Backup"
check "the uninstaller leaves its mark for a reinstall" "${mark[@]}"
check "the desktop shortcut is removed" fails test -e "$desktop/ZelkorBackup.lnk"
check "Backup.ini and the target are untouched" same_user_data

# --- A reinstalled program starts at logon again, from its new folder.
check "a new install after the uninstall succeeds" wine "$setup" /S '/D=C:\Neu'
mkdir -p "$WINEPREFIX/drive_c/Daten"  # so that its plan activates without a message
wine 'C:\Neu\ZelkorBackup.exe' >/dev/null 2>&1 &
restored() { wine reg query "$run_key" /v "ZELKOR Backup" | grep -F 'C:\Neu\ZelkorBackup.exe' && fails "${mark[@]}"; }
eventually() { for _ in $(seq 100); do "$@" >/dev/null 2>&1 && return; sleep 0.2; done; "$@"; }
check "its start writes the autostart entry again and removes the mark" eventually restored

# --- During a backup an update or uninstall waits at most /WARTEN= seconds
# and gives up with 1618 (Linux sees its low byte), the run undisturbed; idle,
# the setup replaces the program and starts it again with its timer on.
echo "Brief" >"$WINEPREFIX/drive_c/Daten/Brief.txt"
check "the program waits in the tray with its timer on" eventually wine "$tmp/probe.exe" in-tray
first_pid=$(pid_of)
check "a backup from the tray menu runs" wine "$tmp/probe.exe" run-now
check "a silent setup during the run gives up with 1618" exits_with $((1618 % 256)) wine "$setup" /S /WARTEN=2
check "so does a silent uninstall, with its log where /LOG= says" \
    exits_with $((1618 % 256)) wine 'C:\Neu\Deinstallieren.exe' /S /WARTEN=1 '/LOG=C:\Deinstallation.log'
check "its log gives the reason" logged "$WINEPREFIX/drive_c/Deinstallation.log" \
    "Abbruch mit Code 1618: ZELKOR Backup sichert gerade. Nach 1 Sekunden Wartezeit wurde nichts geändert; die Deinstallation ist später zu wiederholen."
check "the run ends undisturbed in the same program" eval 'wine "$tmp/probe.exe" wait-tray && [ "$(pid_of)" = "$first_pid" ]'
check "and its backup is complete" eval 'grep -aFx "Ergebnis=vollst$(printf "\xe4")ndig" <(tr -d "\r" <"$settings/Backup.ini") && grep -qx Brief "$tmp/usb/$(date +%u)/P1/Brief.txt"'
check "idle again, the silent setup exits 0" exits_with 0 wine "$setup" /S
in_tray_again() { wine "$tmp/probe.exe" in-tray && [ "$(pid_of)" != "$first_pid" ]; }
check "and the program runs again in the tray, its timer on" eventually in_tray_again
check "the silent uninstall closes the idle program and exits 0" exits_with 0 wine 'C:\Neu\Deinstallieren.exe' /S
check "and the program no longer runs" fails wine "$tmp/probe.exe" running
check "and leaves its mark for a reinstall" "${mark[@]}"
wine reg delete 'HKCU\Software\ZELKOR Backup' /v AutostartWiederherstellen /f >/dev/null 2>&1
check "a new install succeeds" wine "$setup" /S '/D=C:\Neu'
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w

# --- The autostart entry and event source of a copy elsewhere are not this
# installation's.
other='C:\Tools\ZELKOR Backup\ZelkorBackup.exe'
wine reg add "$run_key" /v "ZELKOR Backup" /d "$other" /f >/dev/null 2>&1
wine reg add "$event_key" /v EventMessageFile /t REG_EXPAND_SZ /d "$other" /f >/dev/null 2>&1
check "the uninstall succeeds" exits_with 0 wine 'C:\Neu\Deinstallieren.exe' /S
check "the autostart entry of another copy stays, with no mark" eval \
    'wine reg query "$run_key" /v "ZELKOR Backup" && fails "${mark[@]}"'
check "the event source of another copy stays" event_source "$other"

# --- Nothing that runs elevated can be turned against the computer by a
# standard user. Wine neither enforces nor keeps file rights (it derives them
# from the Unix mode), so what the rights are is read back and judged, and
# the hardening of the DLL search is read from the images.
dll_hardened() {  # dll_hardened EXE: SetDefaultDllDirectories imported; DependentLoadFlags System32
    local dump base rva flags
    dump=$(x86_64-w64-mingw32-objdump -p "$1")
    grep -Eq '^\s+[0-9a-f]+\s+[0-9]+\s+SetDefaultDllDirectories$' <<<"$dump" || { echo "no SetDefaultDllDirectories"; return 1; }
    base=$(awk '$1 == "ImageBase" { print $2 }' <<<"$dump")
    rva=$(awk '/Load Configuration Directory/ && $4 != "00000000" { print $3 }' <<<"$dump")
    [ -n "$rva" ] || { echo "no load configuration"; return 1; }
    flags=$(x86_64-w64-mingw32-objdump -s --start-address=$((0x$base + 0x$rva + 78)) \
            --stop-address=$((0x$base + 0x$rva + 80)) "$1" | awk '/^ [0-9a-f]+ / { print $2 }')
    [ "$flags" = 0008 ] || { echo "DependentLoadFlags bytes: '$flags'"; return 1; }
}
# A refused folder stays exactly as it was: the same entries, inodes and modes.
snapshot() { (cd "$1" && find . -exec stat -c '%i %a %s %n' {} + | sort); }
refused_unchanged() {  # refused_unchanged CODE UNIX_FOLDER SETUP_ARGUMENT...: refused with the code of its cause
    local code=$1 folder=$2 before
    shift 2
    before=$(snapshot "$folder")
    exits_with "$code" wine "$setup" /S "$@" && [ "$(snapshot "$folder")" = "$before" ]
}
mkdir -p "$WINEPREFIX/drive_c/Geteilt/Fremd"
ln -s "$tmp" "$WINEPREFIX/drive_c/Geteilt/Fremd/Verweis"
echo "gepflanzt" >"$WINEPREFIX/drive_c/Geteilt/ZelkorBackup.exe"
echo "gepflanzt" >"$WINEPREFIX/drive_c/Geteilt/Deinstallieren.dat"
chmod 0777 "$WINEPREFIX/drive_c/Geteilt"
chmod 0666 "$WINEPREFIX/drive_c/Geteilt/"*.*
check "a first install into a folder made beforehand is refused, the folder unchanged" \
    refused_unchanged 6 "$WINEPREFIX/drive_c/Geteilt" '/D=C:\Geteilt'
mkdir -p "$tmp/aussen"
ln -s "$tmp/aussen" "$WINEPREFIX/drive_c/Oben"
check "a folder below a link is refused, nothing made at the link's target" \
    refused_unchanged 8 "$tmp/aussen" '/D=C:\Oben\Programm'
check "the setup leaves nothing in Program Files" eval 'fails compgen -G "$WINEPREFIX/drive_c/Program Files/ns*"'
custom="$WINEPREFIX/drive_c/Pfad"
check "a setup into a custom folder succeeds" wine "$setup" /S '/D=C:\Pfad'
check "ZelkorBackup.exe loads DLLs from System32 only" dll_hardened "$custom/ZelkorBackup.exe"
check "Deinstallieren.exe loads DLLs from System32 only" dll_hardened "$custom/Deinstallieren.exe"
check "only administrators may change the custom folder" wine "$tmp/probe.exe" rights 'C:\Pfad'
check "nor the program in it" wine "$tmp/probe.exe" rights 'C:\Pfad\ZelkorBackup.exe'
cp "$build/ZelkorBackup.exe" "$WINEPREFIX/drive_c/unsigniert.exe"
check "the programs, signed or not, state their true checksum" eval 'for f in C:\\unsigniert.exe \
    C:\\Pfad\\ZelkorBackup.exe C:\\Pfad\\Deinstallieren.exe; do wine "$tmp/probe.exe" checksum "$f" || exit 1; done'
# A file elsewhere, linked into the installation: an update would write it.
echo "geheim" >"$tmp/aussen.txt"
chmod 0600 "$tmp/aussen.txt"
ln "$tmp/aussen.txt" "$custom/Fremd.txt"
check "an update's folder holding a hard link is refused, unchanged" refused_unchanged 7 "$custom"
check "and the linked file keeps its mode" test "$(stat -c %a "$tmp/aussen.txt")" = 600
rm "$custom/Fremd.txt"
# The user's TEMP, and a watcher that puts a System.dll into every new folder there.
plant_into() {
    perl -e 'while (1) { for my $d (glob("$ARGV[0]/*/")) { next if -e "${d}System.dll";
        system("cp", $ARGV[1], "${d}System.dll"); } select(undef, undef, undef, 0.002); }' "$1" "$tmp/System.dll" &
    planter=$!
}
mkdir -p "$WINEPREFIX/drive_c/Nutzertemp"
wine reg add 'HKCU\Environment' /v TEMP /d 'C:\Nutzertemp' /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TMP /d 'C:\Nutzertemp' /f >/dev/null 2>&1
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
plant_into "$WINEPREFIX/drive_c/Nutzertemp"
check "an update in place succeeds while a user plants plug-ins in TEMP" wine "$setup" /S
kill "$planter"
check "it loaded none of them and unpacked nothing there" eval \
    'fails test -e "$WINEPREFIX/drive_c/Eingeschleust.txt" && fails compgen -G "$WINEPREFIX/drive_c/Nutzertemp/*"'
echo "Fernwartung" >"$custom/Fernwartung.exe"
# A TEMP that names a variable of the user's: nothing elevated expands it.
wine reg add 'HKCU\Environment' /v ZBX /d '& mkdir C:\Eingeschleust &' /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TEMP /d 'C:\t%ZBX%' /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TMP /d 'C:\t%ZBX%' /f >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/t%ZBX%"
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
plant_into "$WINEPREFIX/drive_c/t%ZBX%"
check "the silent uninstall with that TEMP succeeds" exits_with 0 wine 'C:\Pfad\Deinstallieren.exe' /S
"$ZB_WINESERVER" -w
kill "$planter"
check "it loaded no planted plug-in" fails test -e "$WINEPREFIX/drive_c/Eingeschleust.txt"
check "it removed the program and its own files" eval \
    'fails compgen -G "$custom/[DZ]*" && test -f "$custom/Fernwartung.exe"'
check "it left nothing in that TEMP" eval 'fails compgen -G "$WINEPREFIX/drive_c/t%ZBX%/*"'
check "no command was injected" fails test -e "$WINEPREFIX/drive_c/Eingeschleust"
# Read from the registry file: any start of Wine now would be the next start
# of Windows, which removes what is pending.
parked() {
    local dir="$WINEPREFIX/drive_c/windows/temp" name
    name=$(cd "$dir" && compgen -G "ZelkorBackup-Deinstallation-*") || { echo "nothing parked"; return 1; }
    [ "$(ls "$dir/$name")" = Deinstallieren.exe ] &&
        grep -Fq "\\$name\\\\Deinstallieren.exe\\0\\0\\\\??\\\\C:\\\\windows\\\\Temp\\\\$name\\0" "$WINEPREFIX/system.reg"
}
check "only the running uninstaller is left, parked until Windows starts again" parked
wine reg query 'HKCU\Environment' >/dev/null 2>&1
"$ZB_WINESERVER" -w
check "which then leaves nothing behind" eval 'fails compgen -G "$WINEPREFIX/drive_c/windows/temp/ZelkorBackup-*"'

# --- Deployment without a visit, in a prefix of its own: the setup with the
# administrator's preset, a new user's first logon, the MSI package.
zb_wine_fresh "$tmp/deploy"
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
settings="$user_dir/AppData/Roaming/ZelkorBackup"
program_dir="$WINEPREFIX/drive_c/Program Files/ZELKOR Backup"
preset="$WINEPREFIX/drive_c/ProgramData/ZELKOR Backup/Vorgabe.ini"
logon_key='HKLM\Software\Microsoft\Active Setup\Installed Components\{8264CD76-C194-4D4C-ADD8-62CB142CD899}'
msi="$tmp/dist/ZelkorBackup-$version.msi"
dotted=$(sed -n 's/^#define ZB_VERSION_DOTTED "\(.*\)"$/\1/p' "$build/generated/version.h")
mkdir -p "$WINEPREFIX/drive_c/Daten" "$tmp/stick"
ln -s "$tmp/stick" "$WINEPREFIX/dosdevices/u:"
printf '[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=C:\\Daten\r\nTAR1=U:\\\r\nZEI=23:45:00\r\nredundanz=7\r\n' >"$tmp/Vorgabe.ini"
preset_win="Z:$(tr / '\\' <<<"$tmp/Vorgabe.ini")"

check "a missing preset stops the setup before it changes anything" eval \
    'exits_with 2 wine "$setup" /S "/VORGABE=C:\fehlt.ini" && fails test -e "$program_dir"'
# Only a preset is placed, into a folder as the setup makes it.
echo "Kennwort: geheim" >"$tmp/geheim.txt"
geheim_win="Z:$(tr / '\\' <<<"$tmp/geheim.txt")"
nothing_placed() { fails test -e "$program_dir" && fails test -e "$preset" && fails wine reg query "$uninst_key"; }
check "a file that is no preset stops the setup with 22, nothing placed" eval \
    'exits_with 22 wine "$setup" /S "/VORGABE=$geheim_win" && nothing_placed'
# Wine keeps no rights it is given (see README): a link is what it shows of
# a folder someone else made.
mkdir -p "$tmp/fremder-ordner"
echo "fremd" >"$tmp/fremder-ordner/Vorgabe.ini"
ln -s "$tmp/fremder-ordner" "${preset%/*}"
check "a preset folder someone else made stops it with 25, the folder untouched" eval \
    'exits_with 25 wine "$setup" /S "/VORGABE=$preset_win" && [ "$(ls "$tmp/fremder-ordner")" = Vorgabe.ini ] &&
     grep -qx fremd "$tmp/fremder-ordner/Vorgabe.ini" && fails test -e "$program_dir"'
rm "${preset%/*}"
# A relative path, from the folder the setup is started in.
check "a silent setup with /VORGABE= succeeds" eval '(cd "$tmp" && exits_with 0 wine "$setup" /S /VORGABE=Vorgabe.ini)'
check "the preset is in ProgramData" cmp "$preset" "$tmp/Vorgabe.ini"
check "only administrators may change it" wine "$tmp/probe.exe" rights 'C:\ProgramData\ZELKOR Backup'
logon_step() {  # logon_step KEY: what Active Setup registers
    local out
    out=$(wine reg query "$logon_key" | tr -d '\r')
    grep -Fxq "    StubPath    REG_SZ    \"$1\\ZelkorBackup.exe\" /Anmeldung" <<<"$out" &&
        grep -Fxq '    Version    REG_SZ    1,0,0,0' <<<"$out" || { echo "$out"; return 1; }
}
check "the logon step is registered for every user" logon_step 'C:\Program Files\ZELKOR Backup'

# A first logon as Windows makes it: the logon step, then the Run key.
first_logon() {
    local stub
    stub=$(wine reg query "$logon_key" /v StubPath | tr -d '\r' | sed -n 's/^ *StubPath *REG_SZ *"\(.*\)" \(.*\)$/\1|\2/p')
    wine "${stub%|*}" "${stub#*|}"
}
check "the logon step of a new user succeeds" first_logon
run_entry() { wine reg query "$run_key" /v "ZELKOR Backup" | tr -d '\r' | sed -n 's/^ *ZELKOR Backup *REG_SZ *//p'; }
check "and gives the user the autostart entry" eval '[ "$(run_entry)" = "\"$exe_win\"" ]'
check "and starts nothing itself" fails test -e "$settings"
wine "$exe_win" >/dev/null 2>&1 &
scheduled() { grep -q '^UNM=0' "$settings/Backup.ini" && grep -q '^ZEI=23:45:00' "$settings/Backup.ini" &&
              fails grep -q redundanz "$settings/Backup.ini" && wine "$tmp/probe.exe" in-tray; }
check "the program started at logon takes the preset and runs its schedule" eventually scheduled
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w
wine reg delete "$run_key" /v "ZELKOR Backup" /f >/dev/null 2>&1
check "a user who removed the entry keeps it removed" eval 'first_logon && fails wine reg query "$run_key" /v "ZELKOR Backup"'
# Wine hands Linux only the low byte of an exit code: 1603 arrives as 67.
check "the MSI refuses while the setup's edition is installed" eval \
    'exits_with $((1603 % 256)) wine msiexec /i "$msi" /qn && fails wine reg query "HKLM\Software\ZELKOR Backup"'
check "the silent uninstall succeeds" exits_with 0 wine "$program_dir/Deinstallieren.exe" /S
check "it removes the logon step and keeps the preset" eval 'fails wine reg query "$logon_key" && cmp "$preset" "$tmp/Vorgabe.ini"'

# --- The MSI package.
check "the MSI is signed" verify "$msi"
release_file() {  # version, both codes and the checksum of each package, as the MSI and the files have them
    local text product
    text=$(tr -d '\r' <"$tmp/dist/ZelkorBackup-$version-Freigabe.txt")
    product=$(msi_table Property | sed -n 's/^ProductCode\t//p')
    diff <(head -4 <<<"$text") <(printf '%s\n' "ZELKOR Backup $version" "DisplayVersion (Setup und MSI): $dotted" \
        "MSI-Produktcode: $product" "MSI-Upgradecode: {57768754-6C54-4FE7-AA98-CC76BD7A282A}") &&
    [ "$(grep -cE '^[0-9a-f]{64}  ' <<<"$text")" = 3 ] && (cd "$tmp/dist" && grep -E '^[0-9a-f]{64}  ' <<<"$text" | sha256sum -c)
}
msi_table() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }
check "the release file names the version, the MSI's codes and each package's checksum" release_file
msi_tables() {
    msi_table Property | grep -Fxq "ALLUSERS	1" &&
    ! msi_table Property | grep -q "^MSIRESTARTMANAGERCONTROL	" && ! msi_table Property | grep -q "^MSIRMSHUTDOWN	" &&
    msi_table Property | grep -Fxq "REBOOT	ReallySuppress" &&
    msi_table Property | grep -Eq "^SecureCustomProperties	.*;NSISINSTALLED$" &&
    ! msi_table Property | grep -Eq "^SecureCustomProperties	.*VORGABE" &&
    msi_table Upgrade | grep -Fq "{57768754-6C54-4FE7-AA98-CC76BD7A282A}		$dotted		1		WIX_UPGRADE_DETECTED" &&
    msi_table CustomAction | grep -Fxq "PlacePreset	3090	VorgabeExe	\"[VORGABE]\"	" &&
    msi_table InstallExecuteSequence | grep -Fxq "PlacePreset	VORGABE AND NOT REMOVE AND (NOT Installed OR (AdminUser AND Privileged))	4010" &&
    msi_table CustomAction | grep -Fxq "MakeFolder	3074	OrdnerrechteExe	\"[INSTALLDIR]\\\"	" &&
    msi_table InstallExecuteSequence | grep -Fxq "MakeFolder	NOT Installed AND NOT WIX_UPGRADE_DETECTED AND NOT REMOVE	3690" &&
    msi_table CustomAction | grep -Fxq "UndoFolder	3394	OrdnerrechteExe	/entfernen \"[INSTALLDIR]\\\"	" &&
    msi_table CustomAction | grep -Fxq "RenewFolder	3074	OrdnerrechteExe	/erneuern \"[INSTALLDIR]\\\"	" &&
    msi_table InstallExecuteSequence | grep -Fxq "RemoveExistingProducts		1401" &&
    msi_table Registry | grep -Fq "EventMessageFile	#%[INSTALLDIR]ZelkorBackup.exe	Program" &&
    msi_table LaunchCondition | grep -Fq "Installed OR NOT NSISINSTALLED	ZELKOR Backup ist auf diesem Computer schon mit dem Setup (ZelkorBackup-$version-Setup.exe " &&
    msi_table Shortcut | cut -f1,2,5 | diff - <(printf '%s\t%s\t%s\n' MenuProgram MenuFolder '[INSTALLDIR]ZelkorBackup.exe' \
        MenuGuide MenuFolder '[INSTALLDIR]Anleitung.html' MenuUninstall MenuFolder '[System64Folder]msiexec.exe') &&
    # Nothing of a user's: every component lies in the program or menu folder.
    msi_table Component | cut -f3 | sort -u | diff - <(printf 'INSTALLDIR\nMenuFolder\n')
}
check "the MSI's tables: per machine, upgrade, folder, preset, event source, one edition, nothing of a user's" msi_tables
product=$(msi_table Property | sed -n 's/^ProductCode	//p')
# A failed custom action: 1603 on Windows, 1627 under Wine.
msi_failed() { exits_with $((1627 % 256)) "$@"; }
mkdir -p "$WINEPREFIX/drive_c/Vorhanden"
echo "meins" >"$WINEPREFIX/drive_c/Vorhanden/meins.txt"
made_before='INSTALLDIR=C:\Vorhanden\'
check "the MSI refuses a folder made beforehand and installs nothing" eval \
    'msi_failed wine msiexec /i "$msi" /qn "$made_before" && [ "$(ls "$WINEPREFIX/drive_c/Vorhanden")" = meins.txt ] &&
     grep -qx meins "$WINEPREFIX/drive_c/Vorhanden/meins.txt" && fails wine reg query "$event_key" && fails wine reg query "$logon_key"'
# A computer that never had a preset: under Wine the helper that msiexec
# runs takes no folder made before (see README).
rm -rf "$settings" "${preset%/*}"
check "a first install naming a file that is no preset fails and leaves no folder to refuse next" eval \
    'msi_failed wine msiexec /i "$msi" /qn "VORGABE=$geheim_win" && fails test -e "$program_dir" && fails test -e "$preset"'
check "the MSI installs quietly with VORGABE" exits_with 0 wine msiexec /i "$msi" /qn "VORGABE=$preset_win"
check "the program and the guide are installed" same_files \
    "$program_dir/ZelkorBackup.exe" "$portable/ZelkorBackup.exe" "$program_dir/Anleitung.html" "$portable/Anleitung.html"
check "and the preset" cmp "$preset" "$tmp/Vorgabe.ini"
check "its uninstall entry names the product" eval \
    'wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\\$product" /v DisplayName | grep -Fq "ZELKOR Backup"'
check "its event source names the program" eval 'wine reg query "$event_key" /v EventMessageFile | grep -Fq "REG_EXPAND_SZ    $exe_win"'
check "its logon step is registered" logon_step 'C:\Program Files\ZELKOR Backup'
check "a repair naming a file that is no preset fails and places nothing" eval \
    'msi_failed wine msiexec /i "$msi" /qn REINSTALL=ALL REINSTALLMODE=vomus "VORGABE=$geheim_win" &&
     cmp "$preset" "$tmp/Vorgabe.ini" && fails grep -rq geheim "${preset%/*}" && test -f "$program_dir/ZelkorBackup.exe"'
check "a repair without a preset succeeds in the installed folder" eval \
    'exits_with 0 wine msiexec /i "$msi" /qn REINSTALL=ALL REINSTALLMODE=vomus && cmp "$preset" "$tmp/Vorgabe.ini"'
check "the setup refuses while the MSI edition is installed" eval \
    'exits_with 4 wine "$setup" /S && fails wine reg query "$uninst_key" && fails test -e "$program_dir/Deinstallieren.exe"'
printf '[Backup]\r\nMon=1\r\nP1P=C:\\Eigenes\r\n' >"$tmp/own.ini"
mkdir -p "$settings" && cp "$tmp/own.ini" "$settings/Backup.ini"
# The next version, from the same source.
mkdir "$tmp/msi-src"
cp "$root/installer/ZelkorBackup.wxs" "$program_dir"/*.exe "$program_dir/Anleitung.html" "$build/generated/ZelkorBackup.ico" "$tmp/msi-src/"
msiinfo extract "$msi" Binary.OrdnerrechteExe >"$tmp/msi-src/Ordnerrechte.exe"
(cd "$tmp/msi-src" && wixl -a x64 -D Version=99.0.0 -D VersionDotted=99.0.0.0 -D ProductCode=0D6C8A3E-5B1F-4E27-9A40-7C2B9E1F3D58 \
    -D Exe=ZelkorBackup.exe -D Guide=Anleitung.html -D Preset=Vorgabe.exe -D Rights=Ordnerrechte.exe -D Icon=ZelkorBackup.ico \
    -o "$tmp/next.msi" ZelkorBackup.wxs 2>/dev/null && "$root/installer/msi-tables.sh" "$tmp/next.msi")
check "a major upgrade installs quietly" exits_with 0 wine msiexec /i "$tmp/next.msi" /qn
check "it removed the older version" fails wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\\$product"
check "it keeps the user's settings and the preset" eval 'cmp "$settings/Backup.ini" "$tmp/own.ini" && cmp "$preset" "$tmp/Vorgabe.ini"'
check "the MSI uninstalls quietly" exits_with 0 wine msiexec /x "{0D6C8A3E-5B1F-4E27-9A40-7C2B9E1F3D58}" /qn
check "it removes the program, its event source and its logon step" eval \
    'fails test -e "$program_dir" && fails wine reg query "$event_key" && fails wine reg query "$logon_key"'
check "it keeps the user's settings and the preset" eval 'cmp "$settings/Backup.ini" "$tmp/own.ini" && cmp "$preset" "$tmp/Vorgabe.ini"'

# --- Where no preset was deployed, any user may make the folder: a new
# account's program takes nothing through a link there.
rm -rf "$settings" "${preset%/*}"
mkdir -p "$tmp/fremd"
printf '[Backup]\r\nSam=1\r\nP1A=1\r\nP1P=C:\\users\r\nTAR1=\\\\angreifer\\beute\r\nSHU=1\r\n' >"$tmp/fremd/Vorgabe.ini"
ln -s "$tmp/fremd" "${preset%/*}"
wine "$portable/ZelkorBackup.exe" >/dev/null 2>&1 &
refused_link() {
    grep -q 'Die Vorgabe C:\\ProgramData\\ZELKOR Backup\\Vorgabe.ini wurde nicht' "$settings/Backup.ini" &&
        fails grep -Eq '^(Sam=1|P1P=C:\\users|TAR1=|SHU=1)' "$settings/Backup.ini"
}
check "a new account's program takes nothing from a link at the preset's place" eventually refused_link
"$ZB_WINESERVER" -k
"$ZB_WINESERVER" -w

if [ "$failures" -gt 0 ]; then
    echo "$failures installer check(s) failed"
    exit 1
fi
echo "All installer checks passed."
