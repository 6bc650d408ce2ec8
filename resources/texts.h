#pragma once
// The program's own texts, UTF-8, exactly as the user sees them (typos
// included). "\n" and "\r" are kept in the order the messages use them.
namespace zb::txt {

inline constexpr const char* AppTitle = "ZELKOR Backup";

// Captions of the four message box kinds and their buttons.
inline constexpr const char* CapWarning = "Warnung";
inline constexpr const char* CapError = "Fehler";
inline constexpr const char* CapInformation = "Informationen";
inline constexpr const char* CapConfirmation = "Bestätigen";
inline constexpr const char* BtnOk = "OK";
inline constexpr const char* BtnYes = "&Ja";
inline constexpr const char* BtnNo = "&Nein";

// Settings file
inline constexpr const char* SettingsDirName = "ZelkorBackup";
inline constexpr const char* SettingsFileName = "Backup.ini";
inline constexpr const char* SectionBackup = "Backup";
inline constexpr const char* SectionErrors = "Errors";
inline constexpr const char* ErrCannotWrite = "In %s kann nicht geschrieben werden";
inline constexpr const char* ErrInvalidTime = "'%s' ist keine gültige Uhrzeit";

// Start-up and end
inline constexpr const char* StatusInit = "Initialisiere...";
inline constexpr const char* AskQuit =
    "Die Anwendung wird beendet!\n\r\n\r- Es wird kein Backup durchgeführt.\n\r- Wenn Sie das Backup "
    "aktivieren wollen, nutzen Sie die Taste \"Aktivieren\".\n\r\n\rMöchten Sie die Anwendung wirklich "
    "beenden?";

// Activation
inline constexpr const char* ErrNoDay =
    "Es wurde kein Tag für das Backup angewählt!\n\r\n\rAktivieren Sie mindestens einen Tag.";
inline constexpr const char* ErrNoPath =
    "Es wurde kein Pfad für das Backup angewählt!\n\r\n\rAktivieren Sie mindestens einen Pfad.";
// %d: number of the source folder, 1 to 5.
inline constexpr const char* ErrPathN =
    "Es wurde kein Pfad %d für das Backup angewählt!\n\r\n\rKorrigeren Sie den Pfad %d.";
inline constexpr const char* TargetNotReadyPre = "Das Ziellaufwerk ";
inline constexpr const char* TargetNotReadyPost = " ist nicht bereit.";
inline constexpr const char* StatusTimerStopped = "Timer gestoppt";
inline constexpr const char* WarnUnmount =
    "ACHTUNG!\r\n\r\nDie Option darf niemals eingeschaltet werden, wenn nicht alle Sicherungspfade "
    "auf\r\nexterne USB-Datenträger zeigen! \r\n\r\nES DROHEN DATENVERLUST ODER BESCHÄDIGUNG!\r\n\r\n"
    "Soll die Option deaktiviert bleiben?";
inline constexpr const char* InfoUnmountOff = "Die Option \"Laufwerk trennen\" wurde deaktiviert!";
inline constexpr const char* InfoShutdownOff = "Die Option \"PC herunterfahren\" wurde deaktiviert!";
inline constexpr const char* InfoNotActivated = "Die Option wurde nicht aktiviert!";

// Tray
inline constexpr const char* TrayTip = "ZELKOR Backup";

// Shortcuts, autostart and the launchers
inline constexpr const char* ProgramFileName = "ZelkorBackup.exe";
inline constexpr const char* AutostartValueName = "ZELKOR Backup";
inline constexpr const char* LinkFileName = "ZelkorBackup.lnk";
inline constexpr const char* LinkDescription = "ZELKOR Backup";
inline constexpr const char* InfoLinkCreated = "Verknüpfung erzeugt.";
inline constexpr const char* ErrRegistryWrite = "Fehler beim Setzen der Daten für '%s'";
// First %s: the system's text for the failure (or ErrOle), second: the class id in braces.
inline constexpr const char* ErrCreateObject = "%s, ClassID: %s";
inline constexpr const char* ErrOle = "OLE-Fehler %.8x";
inline constexpr const char* ErrNoInterface = "Interface nicht unterstützt";
inline constexpr const char* DocumentationUrl = "http://doku.zelkor.de/wiki/index.php/ZELKOR_Backup";
inline constexpr const char* RemoteSupportFileName = "Fernwartung.exe";

// The backup run
inline constexpr const char* StatusRunning = "Backup läuft... Bitte warten";
inline constexpr const char* StatusDeleting = "Lösche alte Sicherung...";
inline constexpr const char* StatusSaving = "Sichere Daten...";
inline constexpr const char* StatusSavingSourcePre = "Sichere ";
inline constexpr const char* StatusSavingSourcePost = "...";
inline constexpr const char* ErrNoTargets = "Sicherungslaufwerke nicht gefunden";
inline constexpr const char* ErrNotDeletedPre = "Sicherung vom ";
inline constexpr const char* ErrNotDeletedPost = " nicht gelöscht";
inline constexpr const char* ErrDestinationPre = "Sicherung von ";
inline constexpr const char* ErrDestinationMid = " nach ";
inline constexpr const char* ErrDestinationPost = " fehlgeschlagen!";
inline constexpr const char* ErrCopyPre = "Datei kopieren von ";
inline constexpr const char* ErrCopyMid = " nach ";
inline constexpr const char* ErrCopyPost = " fehlgeschlagen.";
inline constexpr const char* ErrDeletePre = "Redundanzfehler ";
inline constexpr const char* ErrDeleteMid = ", Fehlermeldung: ";
// %s: the folder, %d: the shell's result.
inline constexpr const char* ErrDeleteMessage = "Fehler beim Löschen: %s [%d]";
inline constexpr const char* CopyProgressTitle = "Backup";
// What is still missing after a copy was checked and completed: the source as
// passed, the count of missing files, the count of all files ("Datei" or
// "Dateien" after a total of one or more), the first missing path, the reason.
inline constexpr const char* ErrIncompleteOne = "Sicherung von %s unvollständig: 1 von %d %s fehlt: %s (%s)";
inline constexpr const char* ErrIncompleteMany =
    "Sicherung von %s unvollständig: %d von %d Dateien fehlen, darunter %s (%s)";
// As above, when folders could not be read or made as well: the source, the
// missing files, all files, the missing folders, the first missing path, the reason.
inline constexpr const char* ErrIncompleteFolders =
    "Sicherung von %s unvollständig: %d von %d Dateien und %d Ordner fehlen, darunter %s (%s)";
// The copy's folder went away during the check (a drive pulled, a share
// gone): the source, the destination, the files not in the copy, all files.
inline constexpr const char* ErrTargetGoneOne =
    "Sicherung von %s unvollständig: Ziel %s nicht mehr erreichbar, 1 von %d %s fehlt";
inline constexpr const char* ErrTargetGoneMany =
    "Sicherung von %s unvollständig: Ziel %s nicht mehr erreichbar, %d von %d Dateien fehlen";
inline constexpr const char* FileSingular = "Datei";
inline constexpr const char* FilePlural = "Dateien";
inline constexpr const char* ReasonInUse = "Datei wird von einem anderen Programm verwendet";
inline constexpr const char* ReasonDiskFull = "Ziellaufwerk ist voll";
inline constexpr const char* ReasonAccessDenied = "Zugriff verweigert";
// Two names that differ only in case, or a name ending in a blank or a dot,
// on a target that cannot tell them apart.
inline constexpr const char* ReasonNameNotPossible = "Name auf dem Ziellaufwerk nicht möglich";
// When the system has no text for the error code.
inline constexpr const char* ReasonOther = "Fehler %u";

// Scheduling and the after-run actions
inline constexpr const char* StatusActive = "Aktiviert";
inline constexpr const char* StatusNoMoreToday = "Aktiviert. Für heute ist kein weiteres Backup vorgesehen...";
inline constexpr const char* StatusDueTodayPre = "Aktiviert. Backup heute um ";
inline constexpr const char* StatusDueTodayPost = " Uhr";
inline constexpr const char* StatusDoneShutdown = "Backup abgeschlossen... PC wird heruntergefahren";
inline constexpr const char* StatusDone = "Backup abgeschlossen.";
inline constexpr const char* ErrNotEjectedPre = "Laufwerk ";
inline constexpr const char* ErrNotEjectedPost = " nicht getrennt!";
inline constexpr const char* ErrShutdownRefused = "PC konnte nicht heruntergefahren werden!";
inline constexpr const char* AskBackupAndShutdown =
    "Nach der Datensicherung wird das System unwiderruflich heruntergefahren!\r\n\r\nBeenden Sie zunächst alle "
    "anderen Anwendungen und schließen Sie alle Dateien.\r\n\r\nForfahren?";

}  // namespace zb::txt
