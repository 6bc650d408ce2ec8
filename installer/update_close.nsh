; Updates while people work, included by ZelkorBackup.nsi for the setup and
; the uninstaller:
; - the exit code of each cause of a refusal;
; - the log of every run: one line per step and the reason of a refusal, in
;   %SystemRoot%\Logs (only administrators may write there, so no user can
;   put a link in the log's place), or where /LOG= says;
; - the running program closed for the update as Windows' Restart Manager
;   closes it, in every session: the program agrees when no backup runs and
;   refuses during one; then the setup waits, at most /WARTEN= seconds, and
;   gives up with the code that deployment tools take for "retry later".
;   The Restart Manager starts it again afterwards in each session where it
;   ran. Where the Restart Manager only answers without acting (Wine), the
;   program's windows of this session get the same messages from the setup,
;   which then starts the program again itself.

; Exit codes besides 0. 1618 is Windows Installer's "another installation is
; in progress", which Intune and Configuration Manager retry by default.
!define EXIT_PROGRAM_BUSY 1618
!define EXIT_OTHER_EDITION 4
!define EXIT_NO_WORK_FOLDER 5
!define EXIT_FOLDER_EXISTS 6
!define EXIT_UPDATE_FOLDER_UNSAFE 7
!define EXIT_FOLDER_UNPROTECTED 8
!define EXIT_FILES_LEFT 9
; While a backup runs, the silent setup asks again every 15 seconds for at
; most this long; with pages it asks once and then the user.
!define CLOSE_WAIT_SILENT 600
!define CLOSE_RETRY_SECONDS 15
!define ERROR_FAIL_SHUTDOWN 351
!define WM_QUERYENDSESSION_ 0x11
!define WM_ENDSESSION_ 0x16
!define ENDSESSION_CLOSEAPP 1
!define MAIN_WINDOW_CLASS "TfrmBackup"
!define RESTART_ARGUMENT "/Neustart"

Var LogFile
Var CloseWait
; The Restart Manager's session of this run, when one was opened.
Var RmOpen
Var RmSession
; The program was closed through its windows: the setup starts it again.
Var RestartByShell
; Why it could not be closed, as ProgramRuns says: 1 its mutex (a copy
; elsewhere), 2 its installed file in use (another account).
Var RunKind

; One line in the log, when there is one.
!macro ZB_LOG text
  ${If} $LogFile != ""
    FileWriteUTF16LE $LogFile "${text}$\r$\n"
  ${EndIf}
!macroend

; A refusal: logged, shown (not when silent), and the exit code of its cause.
; A program closed for this run runs again: nothing was changed.
!macro REFUSE_CODE code text
  !insertmacro ZB_LOG "Abbruch mit Code ${code}: ${text}"
  !ifdef __UNINSTALL__
    Call un.RestartClosedProgram
  !else
    Call RestartClosedProgram
  !endif
  ${IfNot} ${Silent}
    MessageBox MB_OK|MB_ICONSTOP "${text}"
  ${EndIf}
  SetErrorLevel ${code}
  Quit
!macroend

; The same without a message: the user has just answered one.
!macro REFUSE_CODE_QUIET code text
  !insertmacro ZB_LOG "Abbruch mit Code ${code}: ${text}"
  !ifdef __UNINSTALL__
    Call un.RestartClosedProgram
  !else
    Call RestartClosedProgram
  !endif
  SetErrorLevel ${code}
  Quit
!macroend

!macro UPDATE_CLOSE un what logname
; Opens the log and writes its first line. The default place is made by
; the setup below %SystemRoot%\Logs, whose rights only administrators pass.
Function ${un}OpenLog
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/LOG=" $1
  ${If} ${Errors}
  ${OrIf} $1 == ""
    CreateDirectory "$WINDIR\Logs"
    StrCpy $1 "$WINDIR\Logs\${logname}"
  ${EndIf}
  ClearErrors
  FileOpen $LogFile $1 a
  ${If} ${Errors}
    StrCpy $LogFile ""
    Return
  ${EndIf}
  FileSeek $LogFile 0 END $2
  ${If} $2 = 0
    FileWriteWord $LogFile 0xFEFF
  ${EndIf}
  !insertmacro ZB_LOG "${what} von ${APP} ${VERSION} gestartet: $0"
  ClearErrors
  ${GetOptions} $0 "/WARTEN=" $CloseWait
  ${If} ${Errors}
    StrCpy $CloseWait 0
    ${If} ${Silent}
      StrCpy $CloseWait ${CLOSE_WAIT_SILENT}
    ${EndIf}
  ${EndIf}
  IntOp $CloseWait $CloseWait + 0
  StrCpy $RmOpen 0
  StrCpy $RestartByShell 0
FunctionEnd

; The time goes in once the plug-ins have their folder (GetTime uses one).
Function ${un}LogTime
  ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $8
  !insertmacro ZB_LOG "Zeit: $4-$3-$2 $6:$7:$8"
FunctionEnd

; $R6: 1 when the window $1 belongs to the installed program.
Function ${un}IsInstalledProgramWindow
  StrCpy $R6 0
  System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r4)'
  ; PROCESS_QUERY_LIMITED_INFORMATION
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r4) p .r5'
  ${If} $5 <> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r5, i 0, w .r6, *i ${NSIS_MAX_STRLEN}) i .r7'
    System::Call 'kernel32::CloseHandle(p r5)'
    ${If} $7 <> 0
    ${AndIf} $6 == "$INSTDIR\${EXE_NAME}"
      StrCpy $R6 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; The Restart Manager's messages, sent by the setup to the installed
; program's windows in this session. $R8: 1 when one of them refused.
Function ${un}CloseThroughWindows
  StrCpy $R8 0
  StrCpy $R7 0
  StrCpy $1 0
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r1, w "${MAIN_WINDOW_CLASS}", p 0) p .r1'
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    Call ${un}IsInstalledProgramWindow
    ${If} $R6 = 1
      IntOp $R7 $R7 + 1
      ; SMTO_ABORTIFHUNG
      System::Call 'user32::SendMessageTimeoutW(p r1, i ${WM_QUERYENDSESSION_}, p 0, p ${ENDSESSION_CLOSEAPP}, i 2, i 10000, *p .r2) p .r3'
      ${If} $3 = 0
      ${OrIf} $2 = 0
        StrCpy $R8 1
      ${EndIf}
    ${EndIf}
  ${Loop}
  ; Every window learns the outcome; posted, so that the list stays as it is
  ; while the windows go.
  StrCpy $9 1
  ${If} $R8 = 1
    StrCpy $9 0
  ${EndIf}
  StrCpy $1 0
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r1, w "${MAIN_WINDOW_CLASS}", p 0) p .r1'
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    Call ${un}IsInstalledProgramWindow
    ${If} $R6 = 1
      System::Call 'user32::PostMessageW(p r1, i ${WM_ENDSESSION_}, p r9, p ${ENDSESSION_CLOSEAPP})'
    ${EndIf}
  ${Loop}
  ; The program ends after its last message: at most 10 seconds.
  ${If} $R8 = 0
  ${AndIf} $R7 > 0
    ${For} $R1 1 50
      Call ${un}ProgramRuns
      ${If} $R9 = 0
        ${Break}
      ${EndIf}
      Sleep 200
    ${Next}
  ${EndIf}
FunctionEnd

; One attempt. $R9: 0 the program no longer runs, 1 a backup runs and it
; refused, 3 it still runs and cannot be closed.
Function ${un}CloseOnce
  Call ${un}ProgramRuns
  ${If} $R9 = 0
    Return
  ${EndIf}
  ${If} $RmOpen = 0
    System::Call 'rstrtmgr::RmStartSession(*i .r0, i 0, w .r1) i .r2'
    ${If} $2 = 0
      StrCpy $RmOpen 1
      StrCpy $RmSession $0
      ; An array of one string: the installed program.
      System::Call '*(w "$INSTDIR\${EXE_NAME}") p .r3'
      System::Call 'rstrtmgr::RmRegisterResources(i $RmSession, i 1, p r3, i 0, p 0, i 0, p 0) i .r2'
      !insertmacro ZB_LOG "Restart Manager: Sitzung geöffnet, $INSTDIR\${EXE_NAME} angemeldet ($2)."
    ${Else}
      !insertmacro ZB_LOG "Restart Manager nicht verfügbar ($2)."
    ${EndIf}
  ${EndIf}
  StrCpy $R2 ""
  ${If} $RmOpen = 1
    ; No RmForceShutdown: a program that refuses is never ended.
    System::Call 'rstrtmgr::RmShutdown(i $RmSession, i 0, p 0) i .R2'
    !insertmacro ZB_LOG "Restart Manager: Programm beenden ergab $R2."
  ${EndIf}
  Call ${un}ProgramRuns
  ${If} $R9 = 0
    !insertmacro ZB_LOG "${APP} wurde für die ${what} beendet."
    Return
  ${EndIf}
  ${If} $R2 == ${ERROR_FAIL_SHUTDOWN}
    StrCpy $R9 1
    !insertmacro ZB_LOG "${APP} sichert gerade und beendet sich nicht."
    Return
  ${EndIf}
  Call ${un}CloseThroughWindows
  Call ${un}ProgramRuns
  ${If} $R9 = 0
    StrCpy $RestartByShell 1
    !insertmacro ZB_LOG "${APP} wurde über seine Fenster für die ${what} beendet."
  ${ElseIf} $R8 = 1
    StrCpy $R9 1
    !insertmacro ZB_LOG "${APP} sichert gerade und beendet sich nicht."
  ${Else}
    ; Another copy (known by its mutex) or the file in use by another
    ; account: nothing the setup may close.
    !insertmacro ZB_LOG "${APP} läuft weiter und lässt sich nicht beenden (Art $R9)."
    StrCpy $RunKind $R9
    StrCpy $R9 3
  ${EndIf}
FunctionEnd

; Closes the program, waiting while a backup runs. $R9 as CloseOnce.
Function ${un}CloseProgram
  StrCpy $R5 0
  ${Do}
    Call ${un}CloseOnce
    ${If} $R9 <> 1
    ${OrIf} $R5 >= $CloseWait
      Return
    ${EndIf}
    IntOp $R4 $CloseWait - $R5
    ${If} $R4 > ${CLOSE_RETRY_SECONDS}
      StrCpy $R4 ${CLOSE_RETRY_SECONDS}
    ${EndIf}
    !insertmacro ZB_LOG "Neuer Versuch in $R4 Sekunden."
    IntOp $R3 $R4 * 1000
    Sleep $R3
    IntOp $R5 $R5 + $R4
  ${Loop}
FunctionEnd

; The uninstaller: nothing to start again.
Function ${un}EndRestartSession
  ${If} $RmOpen = 1
    System::Call 'rstrtmgr::RmEndSession(i $RmSession)'
    StrCpy $RmOpen 0
  ${EndIf}
FunctionEnd

; After the files: the program runs again wherever it was closed.
Function ${un}RestartClosedProgram
  ${If} $RmOpen = 1
    System::Call 'rstrtmgr::RmRestart(i $RmSession, i 0, p 0) i .r0'
    System::Call 'rstrtmgr::RmEndSession(i $RmSession) i .r1'
    StrCpy $RmOpen 0
    !insertmacro ZB_LOG "Restart Manager: Neustart ergab $0."
  ${EndIf}
  ${If} $RestartByShell = 1
  ${AndIf} ${FileExists} "$INSTDIR\${EXE_NAME}"
    ; As the user who is logged on, through the shell, as "jetzt starten" does.
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE_NAME}"'
    StrCpy $RestartByShell 0
    !insertmacro ZB_LOG "${APP} wurde wieder gestartet."
  ${EndIf}
FunctionEnd
!macroend
