; Setup of ZELKOR Backup: 64-bit, per machine, German.
; Built by installer/package.sh, which passes
;   VERSION          the version users see, "19.09.01"
;   VERSION_DOTTED   the same as four numbers, "19.9.1.0"
;   EXE, GUIDE       the files to install
;   FRONT            Deinstallieren.exe, built from installer/front/
;   RIGHTS           Ordnerrechte.exe, built from installer/front/
;   PRESET           Vorgabe.exe, built from installer/front/ (see deploy.nsh)
;   WIZARD_BMP       the picture of the welcome and finish pages (164x314)
;   ICON             the program's icon, rendered by the build
;   OUTFILE          the setup to write
;   SIGN             (optional) a command that signs the file named after it
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
AllowSkipFiles off

!ifndef VERSION | VERSION_DOTTED | EXE | GUIDE | FRONT | RIGHTS | PRESET | WIZARD_BMP | ICON | OUTFILE
  !error "installer/package.sh passes VERSION, VERSION_DOTTED, EXE, GUIDE, FRONT, RIGHTS, PRESET, WIZARD_BMP, ICON and OUTFILE"
!endif

!define APP "ZELKOR Backup"
!define PUBLISHER "ZELKOR"
!define EXE_NAME "ZelkorBackup.exe"
!define GUIDE_NAME "Anleitung.html"
!define UNINSTALLER "Deinstallieren.exe"
; The uninstaller proper; Deinstallieren.exe starts it in place and waits.
!define UNINSTALLER_DATA "Deinstallieren.dat"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZELKOR Backup"
; The program writes its events to the Application log under this source;
; the event viewer takes their texts from the message table in the exe.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\ZELKOR Backup"
; What the program itself writes for the current user.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "ZELKOR Backup"
!define SHELL_FOLDERS_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
!define LINK_NAME "ZelkorBackup.lnk"
; The program holds this mutex (win32/instance_win32.cpp), followed by "-" and
; the user's SID, in the namespace of its logon session as long as it runs.
!define INSTANCE_NAME "ZelkorBackup-C8A3DC1A-4F52-4189-A86F-8EFCA23BBC23"
; The uninstaller's note under HKCU for the next start of the program: it
; removed this user's autostart entry, so a reinstall brings it back.
!define PROGRAM_KEY "Software\ZELKOR Backup"
!define AUTOSTART_MARK "AutostartWiederherstellen"
; Exit code of a silent setup or uninstall that found the program running.
!define EXIT_PROGRAM_RUNS 3

!ifdef SIGN
  !finalize '"${SIGN}" "%1"' = 0
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Name "${APP} ${VERSION}"
; "Installation von ..." or "Aktualisierung von ...", set in .onInit.
Caption "$SetupCaption"
; The sizes are written by SpaceTexts: NSIS would write "1.8 MB".
SpaceTexts none
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
; An update goes where the last version went, so autostart entries and
; shortcuts the program made keep working (see .onInit).
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION_DOTTED}"
VIFileVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1031 "ProductName" "${APP}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "© ${PUBLISHER}"
VIAddVersionKey /LANG=1031 "FileDescription" "Installation von ${APP} ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${__FILEDIR__}/update_close.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "$AbortQuestion"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BMP}"
!define MUI_WELCOMEFINISHPAGE_BITMAP_NOSTRETCH

; The folder of the installed version; empty on a first installation.
Var InstalledDir
; The pages' texts, which on an update speak of the update (see .onInit).
Var SetupCaption
Var WelcomeTitle
Var WelcomeText
Var DirPageTitle
Var DirPageText
Var DirPageSubtext
Var WorkTitle
Var WorkSubtitle
Var DoneTitle
Var DoneSubtitle
Var AbortTitle
Var AbortSubtitle
Var FinishTitle
Var FinishText
Var AbortQuestion

!define MUI_WELCOMEPAGE_TITLE "$WelcomeTitle"
!define MUI_WELCOMEPAGE_TEXT "$WelcomeText"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "$DirPageTitle"
!define MUI_PAGE_HEADER_SUBTEXT "$DirPageSubtext"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$DirPageText"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Installationsordner"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW DirectoryShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "$WorkTitle"
!define MUI_PAGE_HEADER_SUBTEXT "$WorkSubtitle"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$DoneTitle"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$DoneSubtitle"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$AbortTitle"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$AbortSubtitle"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$FinishTitle"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "${APP} jetzt starten"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Anleitung anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION ShowGuide
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${APP} wird aus dem unten angegebenen Ordner entfernt. Ihre Einstellungen und Ihre Sicherungen bleiben erhalten. Klicken Sie auf „Deinstallieren“, um die Deinstallation zu starten."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

; The program may be in the middle of a backup; ending it from here could
; leave a half-written weekday folder. So it is never ended by the setup: the
; user ends it, or the setup stops without a change.
; It is recognised by what is its own: the mutex it holds in this session for
; this user, and, for a program of another account, its file being in use.
!macro CHECK_NOT_RUNNING un what
; Sets $R9 to 1 when the program runs, 2 when its installed file is in use.
Function ${un}ProgramRuns
  StrCpy $R9 0
  ; The user's SID as text, as the program puts it into the mutex's name.
  StrCpy $6 ""
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0'
  ${If} $0 <> 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 1, p 0, i 0, *i .r2)'
    System::Alloc $2
    Pop $3
    System::Call 'advapi32::GetTokenInformation(p r1, i 1, p r3, i r2, *i .r2) i .r0'
    ${If} $0 <> 0
      ; TOKEN_USER begins with the pointer to the SID.
      System::Call '*$3(p .r4)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r4, *p .r5) i .r0'
      ${If} $0 <> 0
        System::Call '*$5(&w256 .r6)'
        System::Call 'kernel32::LocalFree(p r5)'
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  ; SYNCHRONIZE is enough to learn that it exists; "access denied" also says so.
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Local\${INSTANCE_NAME}-$6") p .r0 ?e'
  Pop $1
  ${If} $0 <> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $R9 1
    Return
  ${ElseIf} $1 = 5
    StrCpy $R9 1
    Return
  ${EndIf}
  ; A program file that runs cannot be opened for writing.
  ${If} ${FileExists} "$INSTDIR\${EXE_NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${EXE_NAME}" a
    ${If} ${Errors}
      StrCpy $R9 2
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ${un}CheckNotRunning
  ${Do}
    Call ${un}CloseProgram
    ${If} $R9 = 0
      Return
    ${EndIf}
    ${If} ${Silent}
      ${If} $R9 = 1
        !insertmacro REFUSE_CODE ${EXIT_PROGRAM_BUSY} "${APP} sichert gerade. Nach $CloseWait Sekunden Wartezeit wurde nichts geändert; die ${what} ist später zu wiederholen."
      ${EndIf}
      !insertmacro REFUSE_CODE ${EXIT_PROGRAM_RUNS} "${APP} läuft und lässt sich nicht beenden. Es wurde nichts geändert."
    ${EndIf}
    ; MessageBox takes its title from the caption, which is still empty
    ; while .onInit runs: the box is asked for with its own title.
    ${If} $R9 = 1
      StrCpy $R7 "${APP} sichert gerade. Damit die Sicherung nicht unterbrochen wird, wartet die ${what}, bis sie abgeschlossen ist.$\r$\n$\r$\nKlicken Sie auf „Wiederholen“, sobald die Sicherung abgeschlossen ist; ${APP} wird dann für die ${what} beendet und danach wieder gestartet. Mit „Abbrechen“ beenden Sie die ${what}, ohne etwas zu ändern."
    ${ElseIf} $RunKind = 1
      StrCpy $R7 "${APP} läuft gerade aus einem anderen Ordner als „$INSTDIR“. Diese Kopie beendet die ${what} nicht.$\r$\n$\r$\nBitte beenden Sie sie: Klicken Sie mit der rechten Maustaste auf das Symbol von ${APP} im Infobereich der Taskleiste (neben der Uhr), wählen Sie „Beenden“ und bestätigen Sie mit „Ja“. Klicken Sie danach auf „Wiederholen“. Mit „Abbrechen“ beenden Sie die ${what}, ohne etwas zu ändern."
    ${Else}
      StrCpy $R7 "$INSTDIR\${EXE_NAME} wird gerade verwendet, vermutlich läuft ${APP} unter einem anderen Benutzerkonto. Beenden Sie das Programm dort und klicken Sie danach auf „Wiederholen“. Mit „Abbrechen“ beenden Sie die ${what}, ohne etwas zu ändern."
    ${EndIf}
    StrCpy $R8 "${what} von ${APP}"
    ; MB_RETRYCANCEL | MB_ICONEXCLAMATION; IDRETRY is 4.
    System::Call 'user32::MessageBoxW(p $HWNDPARENT, w R7, w R8, i 0x35) i .R6'
    ${If} $R6 = 4
      Goto continue
    ${EndIf}
    !insertmacro REFUSE_CODE_QUIET ${EXIT_PROGRAM_RUNS} "vom Benutzer abgebrochen, ${APP} läuft."
    continue:
  ${Loop}
FunctionEnd
!macroend
!insertmacro CHECK_NOT_RUNNING "" "Installation"
!insertmacro CHECK_NOT_RUNNING "un." "Deinstallation"
!insertmacro UPDATE_CLOSE "" "Installation" "ZelkorBackup-Setup.log"
!insertmacro UPDATE_CLOSE "un." "Deinstallation" "ZelkorBackup-Deinstallation.log"
!include "${__FILEDIR__}/deploy.nsh"

; The plug-ins (System.dll, nsDialogs.dll) and Ordnerrechte.exe run elevated.
; NSIS would unpack them into a new folder in the TEMP the user's environment
; names, and it does not overwrite a plug-in it finds there. So they go into a
; new folder in Program Files instead: only administrators can add one there,
; and it passes on to what is made in it that only they can write. NSIS takes
; a $PLUGINSDIR already set as its plug-in folder and removes it at the end.
; Runs before the first plug-in call.
!macro PLUGINS_FOLDER un what
Function ${un}MakePluginsFolder
  ClearErrors
  GetTempFileName $0 "$PROGRAMFILES64"
  Delete $0
  CreateDirectory $0
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$0\*.*"
    !insertmacro REFUSE_CODE ${EXIT_NO_WORK_FOLDER} "Die ${what} kann keinen geschützten Arbeitsordner in „$PROGRAMFILES64“ anlegen. Es wurde nichts geändert."
  ${EndIf}
  UnsafeStrCpy $PLUGINSDIR $0
FunctionEnd
!macroend
!insertmacro PLUGINS_FOLDER "" "Installation"
!insertmacro PLUGINS_FOLDER "un." "Deinstallation"

Function .onInit
  Call OpenLog
  Call MakePluginsFolder
  Call LogTime
  ; One installation: an update goes into the folder of the installed
  ; version, whatever /D= or the folder page say. Another folder would leave
  ; the old program behind, still starting at every logon.
  ReadRegStr $InstalledDir HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $InstalledDir != ""
    StrCpy $INSTDIR $InstalledDir
    StrCpy $SetupCaption "Aktualisierung von ${APP} ${VERSION}"
    StrCpy $WelcomeTitle "Willkommen zur Aktualisierung$\r$\nvon ${APP} ${VERSION}"
    StrCpy $WelcomeText "Dieser Assistent aktualisiert ${APP} auf Version ${VERSION}. Ihre Einstellungen (Sicherungsplan, Pfade, Ziellaufwerke) und Ihre Sicherungen bleiben erhalten.$\r$\n$\r$\nKlicken Sie auf „Weiter“, um fortzufahren."
    StrCpy $DirPageTitle "Installierte Version aktualisieren"
    StrCpy $DirPageSubtext "Die neue Version ersetzt die installierte in deren Ordner."
    StrCpy $DirPageText "${APP} ist in diesem Ordner installiert und wird dort aktualisiert. Einen anderen Ordner wählen Sie, indem Sie ${APP} zuerst deinstallieren.$\r$\n$\r$\nKlicken Sie auf „Aktualisieren“, um fortzufahren."
    StrCpy $WorkTitle "Wird aktualisiert ..."
    StrCpy $WorkSubtitle "Bitte warten Sie, während ${APP} aktualisiert wird."
    StrCpy $DoneTitle "Die Aktualisierung ist vollständig"
    StrCpy $DoneSubtitle "Die Aktualisierung wurde erfolgreich abgeschlossen."
    StrCpy $AbortTitle "Abbruch der Aktualisierung"
    StrCpy $AbortSubtitle "Die Aktualisierung wurde nicht vollständig abgeschlossen."
    StrCpy $FinishTitle "Die Aktualisierung von ${APP} ist abgeschlossen"
    StrCpy $FinishText "${APP} wurde auf Version ${VERSION} aktualisiert.$\r$\n$\r$\nKlicken Sie auf „Fertigstellen“, um den Assistenten zu schließen."
    StrCpy $AbortQuestion "Sind Sie sicher, dass Sie die Aktualisierung von ${APP} abbrechen möchten?"
  ${Else}
    StrCpy $SetupCaption "Installation von ${APP} ${VERSION}"
    StrCpy $WelcomeTitle "$(MUI_TEXT_WELCOME_INFO_TITLE)"
    StrCpy $WelcomeText "Dieser Assistent installiert ${APP} ${VERSION} auf Ihrem Computer.$\r$\n$\r$\nKlicken Sie auf „Weiter“, um fortzufahren."
    StrCpy $DirPageTitle "Installationsordner auswählen"
    StrCpy $DirPageSubtext "Wählen Sie den Ordner, in den ${APP} ${VERSION} installiert werden soll."
    StrCpy $DirPageText "${APP} wird in den folgenden Ordner installiert. Klicken Sie auf „Durchsuchen ...“, um einen anderen Ordner zu wählen.$\r$\n$\r$\nKlicken Sie auf „Installieren“, um fortzufahren."
    StrCpy $WorkTitle "$(MUI_TEXT_INSTALLING_TITLE)"
    StrCpy $WorkSubtitle "$(MUI_TEXT_INSTALLING_SUBTITLE)"
    StrCpy $DoneTitle "$(MUI_TEXT_FINISH_TITLE)"
    StrCpy $DoneSubtitle "$(MUI_TEXT_FINISH_SUBTITLE)"
    StrCpy $AbortTitle "$(MUI_TEXT_ABORT_TITLE)"
    StrCpy $AbortSubtitle "$(MUI_TEXT_ABORT_SUBTITLE)"
    StrCpy $FinishTitle "Die Installation von ${APP} ist abgeschlossen"
    StrCpy $FinishText "${APP} ${VERSION} wurde auf Ihrem Computer installiert.$\r$\n$\r$\nKlicken Sie auf „Fertigstellen“, um den Assistenten zu schließen."
    StrCpy $AbortQuestion "$(MUI_TEXT_ABORTWARNING)"
  ${EndIf}
  ${If} $InstalledDir != ""
    !insertmacro ZB_LOG "Installierte Version in „$InstalledDir“: Aktualisierung."
  ${Else}
    !insertmacro ZB_LOG "Keine installierte Version: Erstinstallation."
  ${EndIf}
  Call DeployChecks
  ; With pages the program is closed only once the user has chosen to
  ; install (the section does it): a cancelled wizard leaves it running.
  ${If} ${Silent}
    Call CheckNotRunning
  ${EndIf}
FunctionEnd

; On an update the folder is shown, not offered, and the button says what
; it does.
Function DirectoryShow
  ${If} $InstalledDir != ""
    FindWindow $0 "#32770" "" $HWNDPARENT
    GetDlgItem $1 $0 1019
    EnableWindow $1 0
    GetDlgItem $1 $0 1001
    EnableWindow $1 0
    GetDlgItem $1 $HWNDPARENT 1
    SendMessage $1 ${WM_SETTEXT} 0 "STR:&Aktualisieren"
  ${EndIf}
  Call SpaceTexts
FunctionEnd

; A folder that exists would be refused after the click (see
; SecureInstallDir): the user chooses another one on this page instead.
Function DirectoryLeave
  ${If} $InstalledDir == ""
  ${AndIf} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Der Ordner „$INSTDIR“ besteht bereits. Das Setup installiert ${APP} nur in einen Ordner, den es selbst anlegt und schützt: In einem vorhandenen Ordner könnten Dateien liegen, die andere Benutzer ändern können.$\r$\n$\r$\nBitte wählen Sie einen Ordner, der noch nicht besteht, zum Beispiel „$PROGRAMFILES64\${APP}“."
    Abort
  ${EndIf}
FunctionEnd

; NSIS calls it on every change of the folder field.
Function .onVerifyInstDir
  Call SpaceTexts
FunctionEnd

; The folder page's space needed and space free, in German notation.
Function SpaceTexts
  ; Without a page of ours there is no window to write to, and no other's.
  ${If} ${Silent}
  ${OrIf} $HWNDPARENT = 0
    Return
  ${EndIf}
  FindWindow $R6 "#32770" "" $HWNDPARENT
  SectionGetSize 0 $R0
  Call SizeText
  GetDlgItem $R7 $R6 1023
  SendMessage $R7 ${WM_SETTEXT} 0 "STR:Benötigter Speicher: $R1"
  StrCpy $R0 $INSTDIR 3
  System::Call 'kernel32::GetDiskFreeSpaceExW(w R0, *l .R0, p 0, p 0) i .R2'
  GetDlgItem $R7 $R6 1024
  ${If} $R2 <> 0
    System::Int64Op $R0 >> 10
    Pop $R0
    Call SizeText
    SendMessage $R7 ${WM_SETTEXT} 0 "STR:Verfügbarer Speicher: $R1"
  ${Else}
    SendMessage $R7 ${WM_SETTEXT} 0 "STR:"
  ${EndIf}
FunctionEnd

; $R0: a size in KB. Sets $R1 to it in German notation, "1,83 MB".
Function SizeText
  ${If} $R0 L< 1024
    StrCpy $R1 "$R0 KB"
    Return
  ${EndIf}
  StrCpy $R2 "MB"
  StrCpy $R3 1024
  ${If} $R0 L>= 1073741824
    StrCpy $R2 "TB"
    StrCpy $R3 1073741824
  ${ElseIf} $R0 L>= 1048576
    StrCpy $R2 "GB"
    StrCpy $R3 1048576
  ${EndIf}
  ; Three significant digits, cut as Windows cuts them ("2,23 MB"), so the
  ; page agrees with the size the system's list of programs shows.
  System::Int64Op $R0 / $R3
  Pop $R4
  System::Int64Op $R0 * 100
  Pop $R5
  System::Int64Op $R5 / $R3
  Pop $R5
  System::Int64Op $R5 % 100
  Pop $R5
  ${If} $R4 L>= 100
    StrCpy $R1 "$R4 $R2"
  ${ElseIf} $R4 L>= 10
    System::Int64Op $R5 / 10
    Pop $R5
    StrCpy $R1 "$R4,$R5 $R2"
  ${ElseIf} $R5 L< 10
    StrCpy $R1 "$R4,0$R5 $R2"
  ${Else}
    StrCpy $R1 "$R4,$R5 $R2"
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.OpenLog
  Call un.MakePluginsFolder
  Call un.LogTime
  ${If} ${Silent}
    Call un.CheckNotRunning
  ${EndIf}
FunctionEnd

; The setup runs elevated; the program is started through the shell so that
; it runs as the user who is logged on, with that user's settings folder.
Function StartProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE_NAME}"'
FunctionEnd

; The same for the guide: the browser runs as the user, not as administrator.
Function ShowGuide
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${GUIDE_NAME}"'
FunctionEnd

; Only administrators may change the program every account starts,
; Deinstallieren.exe that runs elevated, or Fernwartung.exe beside them. So
; the folder is made by Ordnerrechte.exe with its rights in the same call,
; below folders only administrators can change, before a file is written into
; it; an existing folder is taken only on an update, as it is. A folder it
; refuses is left exactly as it was.
Function SecureInstallDir
  File "/oname=$PLUGINSDIR\Ordnerrechte.exe" "${RIGHTS}"
  StrCpy $1 ""
  ${If} $InstalledDir != ""
    StrCpy $1 "/aktualisieren "
  ${EndIf}
  ; The page shows what happens, not the helper's command line.
  DetailPrint "Installationsordner wird angelegt und geschützt ..."
  SetDetailsPrint none
  ClearErrors
  ExecWait '"$PLUGINSDIR\Ordnerrechte.exe" $1"$INSTDIR"' $0
  SetDetailsPrint both
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    ${If} $InstalledDir != ""
      !insertmacro REFUSE_CODE ${EXIT_UPDATE_FOLDER_UNSAFE} "${APP} kann im Ordner „$INSTDIR“ nicht sicher aktualisiert werden: Der Ordner, ein Ordner darüber oder eine Datei darin kann auch ohne Administratorrechte geändert werden. Es wurde nichts geändert.$\r$\n$\r$\nBitte deinstallieren Sie ${APP} und installieren Sie es danach neu, zum Beispiel in „$PROGRAMFILES64“."
    ${ElseIf} $0 = 4
      !insertmacro REFUSE_CODE ${EXIT_FOLDER_EXISTS} "Der Ordner „$INSTDIR“ besteht bereits. Das Setup installiert ${APP} nur in einen Ordner, den es selbst anlegt und schützt: In einem vorhandenen Ordner könnten Dateien liegen, die andere Benutzer ändern können. Es wurde nichts installiert.$\r$\n$\r$\nDas Setup wird jetzt beendet. Starten Sie es erneut und wählen Sie einen Ordner, der noch nicht besteht, zum Beispiel „$PROGRAMFILES64\${APP}“."
    ${Else}
      !insertmacro REFUSE_CODE ${EXIT_FOLDER_UNPROTECTED} "Das Setup kann den Ordner „$INSTDIR“ nicht so schützen, dass nur Administratoren die Dateien darin ändern können. Es wurde nichts installiert.$\r$\n$\r$\nDas Setup wird jetzt beendet. Starten Sie es erneut und wählen Sie einen anderen Ordner, zum Beispiel in „$PROGRAMFILES64“."
    ${EndIf}
  ${EndIf}
  !insertmacro ZB_LOG "Installationsordner „$INSTDIR“ ist geschützt."
FunctionEnd

Section
  ${If} $InstalledDir != ""
    StrCpy $INSTDIR $InstalledDir
  ${EndIf}
  ; The user may have started the program while the pages were open.
  Call CheckNotRunning
  Call SecureInstallDir
  Call DeployPreset
  SetOutPath "$INSTDIR"
  !insertmacro ZB_LOG "Dateien werden geschrieben."
  File "/oname=${EXE_NAME}" "${EXE}"
  File "/oname=${GUIDE_NAME}" "${GUIDE}"
  File "/oname=${UNINSTALLER}" "${FRONT}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER_DATA}"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\${EXE_NAME}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} - Anleitung.lnk" "$INSTDIR\${GUIDE_NAME}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} deinstallieren.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP}"
  ; The MSI's entry shows its ProductVersion; one string for both packages.
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION_DOTTED}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

  ; Written on every update too, so that the source names the exe in use;
  ; 7: the program reports information, warnings and errors.
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${EXE_NAME}"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
  Call DeployLogonStep

  ; Earlier setups let an update go into another folder and left the old
  ; program there, starting at every logon instead of this one. Such a
  ; folder holds an uninstaller of ours beside the exe; a copy the user
  ; unpacked elsewhere has none, and its entry stays.
  ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R0 != ""
    Call IsThisProgram
    ${GetParent} $R0 $R2
    ${If} $R1 = 0
    ${AndIf} ${FileExists} "$R2\${EXE_NAME}"
    ${AndIf} ${FileExists} "$R2\${UNINSTALLER}"
      WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE_NAME}"'
    ${EndIf}
  ${EndIf}
  !insertmacro ZB_LOG "Installiert: Dateien, Startmenü, Eintrag unter „Apps“, Ereignisquelle, Anmeldeschritt."
  Call RestartClosedProgram
  !insertmacro ZB_LOG "Fertig mit Code 0."
SectionEnd

; $R0: a path as the program wrote it. Sets $R0 to the bare long path and
; $R1 to 1 when it names the installed program, else 0.
!macro IS_THIS_PROGRAM un
Function ${un}IsThisProgram
  StrCpy $R1 0
  ; The program quotes a path with a blank; a user may have quoted any.
  StrCpy $0 $R0 1
  ${If} $0 == '"'
    StrCpy $R0 $R0 "" 1
    StrCpy $R0 $R0 -1
  ${EndIf}
  ; An 8.3 path names the same file.
  System::Call 'kernel32::GetLongPathNameW(w R0, w .r1, i ${NSIS_MAX_STRLEN}) i .r0'
  ${If} $0 <> 0
    StrCpy $R0 $1
  ${EndIf}
  ; StrCmp ignores case, as Windows paths do.
  ${If} $R0 == "$INSTDIR\${EXE_NAME}"
    StrCpy $R1 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_THIS_PROGRAM ""
!insertmacro IS_THIS_PROGRAM "un."

; $R2: a shortcut file. Removes it when it starts the installed program.
Function un.RemoveLinkToThisProgram
  IfFileExists "$R2" 0 done
  StrCpy $R0 ""
  System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, g "{000214F9-0000-0000-C000-000000000046}", *p .r1) i .r0'
  ${If} $0 = 0
    ; IPersistFile::Load, then IShellLinkW::GetPath without resolving.
    System::Call '$1->0(g "{0000010B-0000-0000-C000-000000000046}", *p .r2) i .r0'
    ${If} $0 = 0
      System::Call '$2->5(w R2, i 0) i .r0'
      ${If} $0 = 0
        System::Call '$1->3(w .R0, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r0'
      ${EndIf}
      System::Call '$2->2()'
    ${EndIf}
    System::Call '$1->2()'
  ${EndIf}
  ${If} $R0 != ""
    Call un.IsThisProgram
    ${If} $R1 = 1
      Delete "$R2"
    ${EndIf}
  ${EndIf}
  done:
FunctionEnd

Section "Uninstall"
  ; The user may have started the program while the first page was open.
  Call un.CheckNotRunning
  Call un.EndRestartSession

  ; The user's traces first, while the program file still exists to compare.
  ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R0 != ""
    Call un.IsThisProgram
    ${If} $R1 = 1
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
      WriteRegStr HKCU "${PROGRAM_KEY}" "${AUTOSTART_MARK}" "1"
    ${EndIf}
  ${EndIf}
  ; The event source may name another copy of the program, or a file an
  ; administrator chose: only ours goes.
  ReadRegStr $R0 HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile"
  ${If} $R0 != ""
    Call un.IsThisProgram
    ${If} $R1 = 1
      DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
    ${EndIf}
  ${EndIf}
  ; The program saves its shortcut in the folder this value names.
  ReadRegStr $R3 HKCU "${SHELL_FOLDERS_KEY}" "Desktop"
  ${If} $R3 != ""
    StrCpy $R2 "$R3\${LINK_NAME}"
    Call un.RemoveLinkToThisProgram
  ${EndIf}
  SetShellVarContext current
  StrCpy $R2 "$DESKTOP\${LINK_NAME}"
  Call un.RemoveLinkToThisProgram

  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} - Anleitung.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} deinstallieren.lnk"
  RMDir "$SMPROGRAMS\${APP}"

  ; Only our own files, and the folder only when it is empty: it may hold
  ; the remote-maintenance program or anything else the user put there.
  Call un.DeployRemove
  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\${GUIDE_NAME}"
  ; Deinstallieren.exe runs this uninstaller in place and waits for it: it
  ; removes this file, itself and the folder once this one has ended.
  ${If} $EXEDIR != $INSTDIR
    Delete "$INSTDIR\${UNINSTALLER_DATA}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
  ${EndIf}

  DeleteRegKey HKLM "${UNINST_KEY}"
  ; Removed means removed: a file of ours that stayed is a failure.
  ${If} ${FileExists} "$INSTDIR\${EXE_NAME}"
  ${OrIf} ${FileExists} "$INSTDIR\${GUIDE_NAME}"
    !insertmacro ZB_LOG "Abbruch mit Code ${EXIT_FILES_LEFT}: Dateien von ${APP} in „$INSTDIR“ ließen sich nicht entfernen."
    SetErrorLevel ${EXIT_FILES_LEFT}
  ${Else}
    !insertmacro ZB_LOG "Entfernt; fertig mit Code 0."
  ${EndIf}
SectionEnd
