; Deployment without a visit, included by ZelkorBackup.nsi:
; - the logon step that Windows runs once for every user (Active Setup), so
;   that each user's program starts from the first logon after an install
;   for all, without anybody starting it by hand;
; - /VORGABE=<Pfad>: the administrator's preset that each user's first start
;   takes as that user's settings;
; - one installation: no setup while the MSI package of the program is
;   installed (it writes the value read here; see installer/ZelkorBackup.wxs).
; ZelkorBackup.nsi defines APP, EXE_NAME and PRESET (the built Vorgabe.exe).

!define PRESET_HELPER "Vorgabe.exe"
; Active Setup runs StubPath once for each user whose own copy of the
; component's Version is missing or older. The Version changes only when
; the logon step's duty does, not with the program's version: a user who
; removed the entry after the step keeps it removed across updates.
!define LOGON_KEY "Software\Microsoft\Active Setup\Installed Components\{8264CD76-C194-4D4C-ADD8-62CB142CD899}"
!define LOGON_VERSION "1,0,0,0"
!define MACHINE_KEY "Software\ZELKOR Backup"
!define EDITION_VALUE "Installationspaket"
; Exit code of a setup that changed nothing: the same as for a refused folder.
!define EXIT_NOTHING_DONE 2

Var PresetSource

; Quits with a message (none when silent) and exit code 2.
!macro REFUSE text
  !insertmacro REFUSE_CODE ${EXIT_NOTHING_DONE} "${text}"
!macroend

; From .onInit, before anything changes.
Function DeployChecks
  ReadRegStr $0 HKLM "${MACHINE_KEY}" "${EDITION_VALUE}"
  ${If} $0 == "MSI"
    !insertmacro REFUSE_CODE ${EXIT_OTHER_EDITION} "${APP} ist auf diesem Computer schon mit dem MSI-Paket installiert. Es wurde nichts geändert.$\r$\n$\r$\nAktualisieren Sie ${APP} mit dem MSI-Paket der neuen Version, oder entfernen Sie es zuerst unter „Apps“ (oder mit „msiexec /x“)."
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/VORGABE=" $PresetSource
  ${If} ${Errors}
    StrCpy $PresetSource ""
    Return
  ${EndIf}
  ; A relative path means the folder the setup was started in.
  GetFullPathName $PresetSource $PresetSource
  ${IfNot} ${FileExists} "$PresetSource"
  ${OrIf} ${FileExists} "$PresetSource\*.*"
    !insertmacro REFUSE "Die Vorgabe „$PresetSource“ (/VORGABE=) wurde nicht gefunden. Es wurde nichts installiert."
  ${EndIf}
  Call CheckPreset
FunctionEnd

; Only a preset is placed, and only into a folder as the setup makes it: the
; helper judges both, from the protected plug-in folder, before anything
; changes. Its exit code (20 to 25) is the setup's, its reason the message.
Function CheckPreset
  File "/oname=$PLUGINSDIR\${PRESET_HELPER}" "${PRESET}"
  ClearErrors
  ExecWait '"$PLUGINSDIR\${PRESET_HELPER}" /pruefen "/bericht=$PLUGINSDIR\Vorgabe-Bericht.txt" "$PresetSource"' $0
  ${If} ${Errors}
    StrCpy $0 1
  ${EndIf}
  ${If} $0 <> 0
    Call RefusePreset
  ${EndIf}
FunctionEnd

; $0: the helper's exit code. Quits with the reason it wrote and, for a
; refused preset or folder, its code.
Function RefusePreset
  StrCpy $1 "Die Vorgabe „$PresetSource“ konnte nicht als „%ProgramData%\${APP}\Vorgabe.ini“ gespeichert werden."
  ClearErrors
  FileOpen $2 "$PLUGINSDIR\Vorgabe-Bericht.txt" r
  ${IfNot} ${Errors}
    FileReadUTF16LE $2 $1
    FileClose $2
  ${EndIf}
  ${If} $0 < 20
    StrCpy $0 ${EXIT_NOTHING_DONE}
  ${EndIf}
  !insertmacro REFUSE_CODE $0 "$1$\r$\nEs wurde nichts installiert."
FunctionEnd

; In the section, after the folder is secured and before any other file is
; written: the helper runs from the installation folder, which only
; administrators can change, never from TEMP.
Function DeployPreset
  SetOutPath "$INSTDIR"
  File "/oname=${PRESET_HELPER}" "${PRESET}"
  ${If} $PresetSource == ""
    Return
  ${EndIf}
  ClearErrors
  ExecWait '"$INSTDIR\${PRESET_HELPER}" "/bericht=$PLUGINSDIR\Vorgabe-Bericht.txt" "$PresetSource"' $0
  ${If} ${Errors}
    StrCpy $0 1
  ${EndIf}
  ${If} $0 <> 0
    ; On a first install nothing stays; an update keeps the installed version.
    ${If} $InstalledDir == ""
      Delete "$INSTDIR\${PRESET_HELPER}"
      RMDir "$INSTDIR"
    ${EndIf}
    Call RefusePreset
  ${EndIf}
FunctionEnd

; With the uninstall entry: the logon step for every user.
Function DeployLogonStep
  WriteRegStr HKLM "${LOGON_KEY}" "" "${APP}"
  WriteRegStr HKLM "${LOGON_KEY}" "StubPath" '"$INSTDIR\${EXE_NAME}" /Anmeldung'
  WriteRegStr HKLM "${LOGON_KEY}" "Version" "${LOGON_VERSION}"
  WriteRegDWORD HKLM "${LOGON_KEY}" "IsInstalled" 1
FunctionEnd

; The users' own entries stay as the uninstaller handles them; the preset
; stays with the users' settings, for a reinstall.
Function un.DeployRemove
  DeleteRegKey HKLM "${LOGON_KEY}"
  Delete "$INSTDIR\${PRESET_HELPER}"
FunctionEnd
