#pragma once
// The program's own texts, UTF-8, exactly as the user sees them (typos
// included). "\n" and "\r" are kept in the order the messages use them.
// A message with parts that vary is one whole sentence; "%1" to "%9" mark
// the parts, filled by zb::fill (core/message.h).
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
inline constexpr const char* ScheduleFileName = "Zeitplan.ini";
// %1: the settings file.
inline constexpr const char* ErrCannotWrite = "In %1 kann nicht geschrieben werden";
// %1: the stored text.
inline constexpr const char* ErrInvalidTime = "'%1' ist keine gültige Uhrzeit";

// The administrator's preset for every user's first start, in %ProgramData%.
inline constexpr const char* PresetFolderName = "ZELKOR Backup";
inline constexpr const char* PresetFileName = "Vorgabe.ini";
// %1: the preset file, %2: its keys that were left out, separated by ", ".
inline constexpr const char* ErrPresetValues =
    "Aus der Vorgabe %1 wurden diese Einstellungen nicht übernommen, weil ihr Wert ungültig ist: %2";
// %1: the preset file.
inline constexpr const char* ErrPresetUntrusted =
    "Die Vorgabe %1 wurde nicht übernommen, weil nicht nur Administratoren sie ändern können.";
// %1: the preset file.
inline constexpr const char* ErrPresetTooLarge =
    "Die Vorgabe %1 wurde nicht übernommen, weil sie größer als 64 KB ist.";

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
// %1: number of the source folder, 1 to 5.
inline constexpr const char* ErrPathN =
    "Es wurde kein Pfad %1 für das Backup angewählt!\n\r\n\rKorrigeren Sie den Pfad %1.";
// %1: the target as typed.
inline constexpr const char* TargetNotReady = "Das Ziellaufwerk %1 ist nicht bereit.";
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
// %1: the value's name.
inline constexpr const char* ErrRegistryWrite = "Fehler beim Setzen der Daten für '%1'";
// %1: the system's text for the failure (or ErrOle), %2: the class id in braces.
inline constexpr const char* ErrCreateObject = "%1, ClassID: %2";
// %1: the failure code, eight hexadecimal digits.
inline constexpr const char* ErrOle = "OLE-Fehler %1";
inline constexpr const char* ErrNoInterface = "Interface nicht unterstützt";
inline constexpr const char* DocumentationUrl = "http://doku.zelkor.de/wiki/index.php/ZELKOR_Backup";
inline constexpr const char* RemoteSupportFileName = "Fernwartung.exe";

// The backup run
inline constexpr const char* StatusRunning = "Backup läuft... Bitte warten";
inline constexpr const char* StatusDeleting = "Lösche alte Sicherung...";
inline constexpr const char* StatusSaving = "Sichere Daten...";
// %1: the source as typed.
inline constexpr const char* StatusSavingSource = "Sichere %1...";
// A run that keeps the weekday folder: %1 the source as typed, %2 the files
// checked so far, %3 of them copied.
inline constexpr const char* StatusSavingCounted = "Sichere %1... (%2 Dateien geprüft, %3 kopiert)";
// The same while a large file is copied; %4 how far it is, in percent.
inline constexpr const char* StatusSavingPercent = "Sichere %1... (%2 Dateien geprüft, %3 kopiert, aktuelle Datei %4 %)";
// Another run (of another account) uses the same target medium: %1 the target as typed.
inline constexpr const char* StatusWaitingForMedium = "Warte auf eine andere Sicherung auf %1...";
inline constexpr const char* ErrNoTargets = "Sicherungslaufwerke nicht gefunden";
// %1: the weekday number.
inline constexpr const char* ErrNotDeleted = "Sicherung vom %1 nicht gelöscht";
// %1: the source as typed, %2: the weekday folder, %3: the source's number.
inline constexpr const char* ErrDestination = "Sicherung von %1 nach %2\\P%3\\ fehlgeschlagen!";
// %1: the source, %2: the destination, both as passed to the copy.
inline constexpr const char* ErrCopy = "Datei kopieren von %1 nach %2 fehlgeschlagen.";
// %1: the shell's result, %2: the weekday folder.
inline constexpr const char* ErrDelete = "Redundanzfehler %1, Fehlermeldung: Fehler beim Löschen: %2 [%1]";
inline constexpr const char* CopyProgressTitle = "Backup";
// What is still missing after a copy was checked and completed. %1: the
// source as passed; One: %2 all files, %3 "Datei" or "Dateien" after a
// total of one or more, %4 the missing path, %5 the reason; Many: %2 the
// missing files, %3 all files, %4 the first missing path, %5 the reason.
inline constexpr const char* ErrIncompleteOne = "Sicherung von %1 unvollständig: 1 von %2 %3 fehlt: %4 (%5)";
inline constexpr const char* ErrIncompleteMany =
    "Sicherung von %1 unvollständig: %2 von %3 Dateien fehlen, darunter %4 (%5)";
// As above, when folders could not be read or made as well: %2 the missing
// files, %3 all files, %4 the missing folders, %5 the first missing path, %6 the reason.
inline constexpr const char* ErrIncompleteFolders =
    "Sicherung von %1 unvollständig: %2 von %3 Dateien und %4 Ordner fehlen, darunter %5 (%6)";
// The copy's folder went away during the check (a drive pulled, a share
// gone). %2: the destination; One: %3 all files, %4 "Datei" or "Dateien";
// Many: %3 the files not in the copy, %4 all files.
inline constexpr const char* ErrTargetGoneOne =
    "Sicherung von %1 unvollständig: Ziel %2 nicht mehr erreichbar, 1 von %3 %4 fehlt";
inline constexpr const char* ErrTargetGoneMany =
    "Sicherung von %1 unvollständig: Ziel %2 nicht mehr erreichbar, %3 von %4 Dateien fehlen";
// The source, or its drive, went away during the backup (a stick pulled, a
// share lost): what was not yet checked is counted from the listings at
// hand, so the count is a lower bound. %1: the source as passed, %2: the
// destination, %3: the files known to be missing.
inline constexpr const char* ErrSourceGone =
    "Quelle %1 während der Sicherung nicht mehr erreichbar: Sicherung nach %2 unvollständig";
inline constexpr const char* ErrSourceGoneOne =
    "Quelle %1 während der Sicherung nicht mehr erreichbar: Sicherung nach %2 unvollständig, mindestens 1 Datei "
    "fehlt";
inline constexpr const char* ErrSourceGoneMany =
    "Quelle %1 während der Sicherung nicht mehr erreichbar: Sicherung nach %2 unvollständig, mindestens %3 "
    "Dateien fehlen";
// Another medium answers where the source was (a card swapped under the
// same letter): nothing more is read from it. %1: the source as passed, %2:
// the destination.
inline constexpr const char* ErrSourceSwapped =
    "Quelle %1 während der Sicherung gewechselt: Sicherung nach %2 unvollständig";
// Another medium answers where the target was: nothing more is written to
// it or deleted on it. During a source's copy: %1 the source as passed, %2
// the destination; before a source's turn: %1 the source as typed, %2 the
// target as typed.
inline constexpr const char* ErrTargetSwappedDuring =
    "Sicherung von %1 unvollständig: Ziel %2 während der Sicherung gewechselt, auf dem eingelegten Datenträger "
    "wird nichts geschrieben oder gelöscht";
inline constexpr const char* ErrTargetSwapped =
    "Sicherung von %1 nicht ausgeführt: Ziel %2 während der Sicherung gewechselt, auf dem eingelegten "
    "Datenträger wird nichts geschrieben oder gelöscht";
// Today's weekday folder holds the backup of another account or computer,
// by its record: it is left as it is. %1 the target as typed, %2 the weekday
// folder, %3 the account, %4 the computer, %5 a folder of this account's own.
inline constexpr const char* ErrOtherAccount =
    "Sicherung auf %1 nicht ausgeführt: Der Ordner %2 enthält die Sicherung des Kontos %3 auf dem Computer %4 und "
    "wird weder gelöscht noch beschrieben. Damit jedes Konto seine eigene Sicherung hat, bitte für jedes Konto einen "
    "eigenen Ordner als Ziellaufwerk eintragen, zum Beispiel %5";
// Another run held the target medium longer than the run waits: %1 the
// target as typed, %2 the hours waited.
inline constexpr const char* ErrMediumBusy =
    "Sicherung auf %1 nicht ausgeführt: Eine andere Sicherung auf diesem Datenträger läuft seit mehr als %2 "
    "Stunden. Nichts gesichert, die vorige Sicherung bleibt erhalten";
// The target went away during the run (a stick pulled, a share lost).
// Before a source's turn: %1 the source as typed, %2 the target as typed.
// At the end: %1 the target, %2 the weekday folder; OldDeleted when last
// week's folder of that weekday was deleted at the start.
inline constexpr const char* ErrTargetGoneBefore =
    "Sicherung von %1 nicht ausgeführt: Ziellaufwerk %2 nicht mehr erreichbar";
inline constexpr const char* ErrTargetGoneIncomplete =
    "Ziellaufwerk %1 während der Sicherung nicht mehr erreichbar: Der Wochentagsordner %2 ist unvollständig";
inline constexpr const char* ErrTargetGoneOldDeleted =
    "Ziellaufwerk %1 während der Sicherung nicht mehr erreichbar: Der Wochentagsordner %2 ist unvollständig, die "
    "vorige Sicherung dieses Wochentags wurde zu Beginn gelöscht";
inline constexpr const char* FileSingular = "Datei";
inline constexpr const char* FilePlural = "Dateien";
inline constexpr const char* ReasonInUse = "Datei wird von einem anderen Programm verwendet";
inline constexpr const char* ReasonDiskFull = "Ziellaufwerk ist voll";
inline constexpr const char* ReasonAccessDenied = "Zugriff verweigert";
// Two names that differ only in case, or a name ending in a blank or a dot,
// on a target that cannot tell them apart.
inline constexpr const char* ReasonNameNotPossible = "Name auf dem Ziellaufwerk nicht möglich";
// When the system has no text for the error code (%1).
inline constexpr const char* ReasonOther = "Fehler %1";

// Scheduling and the after-run actions
inline constexpr const char* StatusActive = "Aktiviert";
inline constexpr const char* StatusNoMoreToday = "Aktiviert. Für heute ist kein weiteres Backup vorgesehen...";
// %1: the start time, hh:mm.
inline constexpr const char* StatusDueToday = "Aktiviert. Backup heute um %1 Uhr";
inline constexpr const char* StatusDoneShutdown = "Backup abgeschlossen... PC wird heruntergefahren";
inline constexpr const char* StatusDone = "Backup abgeschlossen.";
// %1: the target as typed.
inline constexpr const char* ErrNotEjected = "Laufwerk %1 nicht getrennt!";
inline constexpr const char* ErrShutdownRefused = "PC konnte nicht heruntergefahren werden!";
inline constexpr const char* AskBackupAndShutdown =
    "Nach der Datensicherung wird das System unwiderruflich heruntergefahren!\r\n\r\nBeenden Sie zunächst alle "
    "anderen Anwendungen und schließen Sie alle Dateien.\r\n\r\nForfahren?";

// The state of the backups, outside the window: the outcome of a run, missed
// starts and a week without a complete backup, for the tray's tooltip and
// balloons, the error log and the Windows event log.
inline constexpr const char* OutcomeComplete = "vollständig";
inline constexpr const char* OutcomeIncomplete = "unvollständig";
inline constexpr const char* OutcomeFailed = "fehlgeschlagen";
// %1: the weekday's name, %2: the short date, %3: the start time hh:mm,
// %4: why it was not run (one of the three reasons below).
inline constexpr const char* ErrMissedRun = "Geplante Sicherung am %1, %2 um %3 Uhr nicht ausgeführt: %4";
inline constexpr const char* ReasonMissedOff =
    "Der Computer war aus oder im Ruhezustand, oder das Programm lief nicht";
inline constexpr const char* ReasonMissedHeld = "Die Startzeit verging, während eine Meldung offen war";
inline constexpr const char* ReasonMissedStopped = "Der Timer war gestoppt";
inline constexpr const char* ReasonMissedClockSet =
    "Die Uhr oder die Zeitzone wurde über die Startzeit hinaus vorgestellt";
// %1: the whole days since, 7 or more; %2: the short date and the time of the last complete backup.
inline constexpr const char* ErrNoCompleteBackup = "Seit %1 Tagen keine vollständige Sicherung, die letzte war am %2";
inline constexpr const char* Monday = "Montag";
inline constexpr const char* Tuesday = "Dienstag";
inline constexpr const char* Wednesday = "Mittwoch";
inline constexpr const char* Thursday = "Donnerstag";
inline constexpr const char* Friday = "Freitag";
inline constexpr const char* Saturday = "Samstag";
inline constexpr const char* Sunday = "Sonntag";
// The balloon over the tray icon. %1: the short date and time of the run's
// start, %2: the target's number, %3: the files still missing.
inline constexpr const char* BalloonIncomplete =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2: %3 Dateien fehlen. Einzelheiten im Protokoll.";
inline constexpr const char* BalloonIncompleteOne =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2: 1 Datei fehlt. Einzelheiten im Protokoll.";
// No file is counted missing when a source could not be read at all.
inline constexpr const char* BalloonSourceLost =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2: Nicht jeder Pfad wurde gesichert. Einzelheiten im "
    "Protokoll.";
// %1: the short date and time of the run's start.
inline constexpr const char* BalloonNoTarget = "Sicherung fehlgeschlagen am %1: Kein Ziellaufwerk gefunden.";
// The target went away during the run. %1: the short date and time, %2: the
// target's number, %3: "1 Datei" or "N Dateien" written before it went.
inline constexpr const char* BalloonTargetGone =
    "Ziellaufwerk %2 war während der Sicherung am %1 nicht mehr erreichbar: %3 gesichert, der Wochentagsordner ist "
    "unvollständig. Einzelheiten im Protokoll.";
inline constexpr const char* BalloonTargetGoneOldDeleted =
    "Ziellaufwerk %2 war während der Sicherung am %1 nicht mehr erreichbar: %3 gesichert, der Wochentagsordner ist "
    "unvollständig, die vorige Sicherung dieses Wochentags wurde zu Beginn gelöscht. Einzelheiten im Protokoll.";
// %1: the short date and time, %2: the target's number.
inline constexpr const char* BalloonNothingCopied =
    "Sicherung fehlgeschlagen am %1 auf Ziellaufwerk %2: Nichts konnte gesichert werden. Einzelheiten im "
    "Protokoll.";
// %1: the weekday, short date and time of the newest missed start; %2: how many there were.
inline constexpr const char* BalloonMissedOne = "Geplante Sicherung am %1 nicht ausgeführt.";
inline constexpr const char* BalloonMissedMany = "%2 geplante Sicherungen nicht ausgeführt, zuletzt am %1.";
// %1: the whole days since; %2: the short date and time of the last complete backup.
inline constexpr const char* BalloonNoCompleteBackup = "Seit %1 Tagen keine vollständige Sicherung. Die letzte war am %2.";
// As above when there has never been a complete backup; %2: when the program
// first kept the state of the backups.
inline constexpr const char* ErrNoCompleteBackupYet =
    "Seit %1 Tagen keine vollständige Sicherung: Seit dem ersten Start des Programms am %2 gab es noch keine";
inline constexpr const char* BalloonNoCompleteBackupYet =
    "Seit %1 Tagen keine vollständige Sicherung: Seit dem ersten Start des Programms am %2 gab es noch keine.";
// %1: the weekday, %2: the short date, %3: the time hh:mm (inside the balloons above).
inline constexpr const char* WhenStart = "%1, %2 um %3 Uhr";
// What the event log holds for a complete run. %1: the short date and time, %2: the target's number.
inline constexpr const char* EventComplete = "Sicherung vollständig am %1 auf Ziellaufwerk %2.";
// The tooltip's last line. %1: the outcome, %2: the short date and time, %3: the target's number.
inline constexpr const char* TipLastRun = "Zuletzt %1 am %2, Ziellaufwerk %3";
// As above, when the target is not known (a run that did not end).
inline constexpr const char* TipLastRunNoTarget = "Zuletzt %1 am %2";

// A run that cannot be trusted to be complete, told where nobody looks at
// the window. %1: the run's start, SinceWhen or UnknownBegin.
// A run that never reached its end: the program was ended or the power lost
// in the middle of it, or Windows ended the session.
inline constexpr const char* ErrRunNotEnded =
    "Sicherung %1 nicht beendet: Computer oder Programm wurde während der Sicherung beendet, die Sicherung ist "
    "unvollständig";
inline constexpr const char* BalloonRunNotEnded = "Sicherung unvollständig: Die Sicherung %1 wurde nicht beendet.";
// The window went away while a run still had sources to copy. %1: the source.
inline constexpr const char* ErrSourceNotReached =
    "Sicherung von %1 nicht ausgeführt: Das Programm wurde während der Sicherung beendet";
// No ticked source with a path: the weekday folder (%1) is left as it is.
inline constexpr const char* ErrNoSource =
    "Kein Pfad zum Sichern angewählt: Nichts wurde gesichert, die vorige Sicherung %1 bleibt erhalten";
// %1: the short date and time, %2: the target's number.
inline constexpr const char* BalloonNoSource =
    "Sicherung fehlgeschlagen am %1: Kein Pfad angewählt. Die vorige Sicherung auf Ziellaufwerk %2 bleibt erhalten.";
// The events of a run that was not complete, for someone reading the event
// log on another computer. %1: the short date and time, %2: the target's
// number, %3: the target as typed, %4: the files still missing (a number, or
// AtLeast), %5: the paths not backed up at all (a number, then PathList).
inline constexpr const char* EventIncomplete =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2 (%3), fehlende Dateien: %4, nicht gesicherte Pfade: %5.";
inline constexpr const char* EventFailed =
    "Sicherung fehlgeschlagen am %1 auf Ziellaufwerk %2 (%3), fehlende Dateien: %4, nicht gesicherte Pfade: %5.";
// Follows the event's text: the first report of the run (a source, what of
// it is missing and why).
inline constexpr const char* EventFirstReport = "Erste Meldung: %1";
// The start of a run in the texts above: %1 the short date and time; or not known.
inline constexpr const char* SinceWhen = "vom %1";
inline constexpr const char* UnknownBegin = "mit unbekanntem Beginn";
// A run that did not end after it had chosen its target. %1: its start
// (SinceWhen or UnknownBegin), %2: the weekday folder, %3: the target's number.
inline constexpr const char* ErrRunNotEndedOn =
    "Sicherung %1 nicht beendet: Computer oder Programm wurde während der Sicherung beendet. Der Ordner %2 auf "
    "Ziellaufwerk %3 ist unvollständig oder fehlt";
inline constexpr const char* BalloonRunNotEndedOn =
    "Sicherung unvollständig: Die Sicherung %1 wurde nicht beendet. Der Ordner %2 auf Ziellaufwerk %3 ist "
    "unvollständig oder fehlt. Einzelheiten im Protokoll.";
// The tooltip's last line when the start of the last run is not known. %1: the outcome.
inline constexpr const char* TipLastRunUnknown = "Zuletzt %1, Beginn unbekannt";
// No ticked source with a path, and no backup of this weekday to keep.
inline constexpr const char* ErrNoSourceNoneKept = "Kein Pfad zum Sichern angewählt: Nichts wurde gesichert";
// %1: the short date and time.
inline constexpr const char* BalloonNoSourceNoneKept =
    "Sicherung fehlgeschlagen am %1: Kein Pfad angewählt, nichts wurde gesichert.";
// A count that is a lower bound (a source went away during the run): %1 the count.
inline constexpr const char* AtLeast = "mindestens %1";
inline constexpr const char* BalloonIncompleteAtLeast =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2: Mindestens %3 Dateien fehlen. Einzelheiten im Protokoll.";
inline constexpr const char* BalloonIncompleteAtLeastOne =
    "Sicherung unvollständig am %1 auf Ziellaufwerk %2: Mindestens 1 Datei fehlt. Einzelheiten im Protokoll.";
// The paths of an event not backed up: %1 how many, %2 their list of "Pfad N", ", " between them.
inline constexpr const char* PathList = "%1 (%2)";
inline constexpr const char* PathNo = "Pfad %1";
// The log pane at start-up, over the kept reports of the last run while it
// is not complete. %1: its start, SinceWhen or UnknownBegin.
inline constexpr const char* LogLastRun = "Meldungen der letzten Sicherung %1:";
// The log pane's header over the lines of a run (%1: its start, short date
// and time), and over lines after it that belong to no run (%1: now).
inline constexpr const char* LogRun = "Meldungen der Sicherung vom %1:";
inline constexpr const char* LogOther = "Weitere Meldungen vom %1:";
// %1: the reports of that run not kept, beyond the first ones.
inline constexpr const char* LogMoreReports = "… und %1 weitere Meldungen";
// Scheduled starts and the schedule itself, beyond the single run: more
// missed starts than are reported one by one, a schedule that did not come
// on, and the few words for each warning when several share one balloon,
// and for the tooltip's line that says why the icon warns.
// %1: how many starts before the ones reported one by one; %2: the first of
// them (WhenStart), %3: why (a reason of ErrMissedRun).
inline constexpr const char* ErrMissedEarlier = "%1 frühere geplante Sicherungen nicht ausgeführt, die erste am %2: %3";
// %1: why, the text of the check that failed, on one line.
inline constexpr const char* ErrNotActivated = "Timer nicht aktiviert: %1";
inline constexpr const char* BriefNotActivated = "Timer nicht aktiviert.";
// The events that tell an administrator whether anybody is backing up: the
// program ended, by whom or why, and the timer stopped or started.
inline constexpr const char* EventEndedByUser =
    "Vom Benutzer beendet. Bis zum nächsten Start des Programms wird nichts gesichert.";
inline constexpr const char* EventEndedWithWindows = "Beendet, weil der Benutzer sich abmeldet oder Windows herunterfährt.";
inline constexpr const char* EventEndedForUpdate =
    "Für eine Aktualisierung beendet. Windows startet das Programm danach wieder.";
inline constexpr const char* EventTimerStopped =
    "Mit \"Timer stoppen\" gestoppt. Bis zum nächsten \"Aktivieren\" oder Start des Programms wird nichts gesichert.";
// %1: the weekdays, ", " between them; %2: the start time, hh:mm.
inline constexpr const char* EventTimerActivated = "Sicherung an diesen Wochentagen um %2 Uhr: %1";
inline constexpr const char* BriefLastRun = "Letzte Sicherung nicht vollständig.";
inline constexpr const char* BriefMissedOne = "Eine geplante Sicherung nicht ausgeführt.";
// %1: the scheduled starts missed since the last complete backup.
inline constexpr const char* BriefMissedMany = "%1 geplante Sicherungen nicht ausgeführt.";
// %1: the whole days since the last complete backup.
inline constexpr const char* BriefNoCompleteBackup = "Seit %1 Tagen keine vollständige Sicherung.";
// One start before the ones reported one by one: %2 when (WhenStart), %3 why.
inline constexpr const char* ErrMissedEarlierOne = "Eine frühere geplante Sicherung am %2 nicht ausgeführt: %3";
// Why a ticked path stops the start-up's activation. %1: its number, %2: its folder.
inline constexpr const char* ReasonPathMissing = "Der Ordner %2 von Pfad %1 fehlt.";
inline constexpr const char* ReasonPathEmpty = "Für Pfad %1 ist kein Ordner angegeben.";

// A backup that does not fit on its target: the run deletes and copies
// nothing. %1: the target as typed, %2: the room the backup needs there,
// %3: the room it has (free, and what replacing the previous backup frees);
// sizes as sizeText writes them.
inline constexpr const char* ErrNoRoom = "Sicherung passt nicht auf Ziellaufwerk %1: %2 benötigt, %3 frei. Nichts gesichert";
// As above with a previous backup on that weekday; %4: the weekday folder.
inline constexpr const char* ErrNoRoomKept =
    "Sicherung passt nicht auf Ziellaufwerk %1: %2 benötigt, %3 frei. Nichts gesichert, die vorige Sicherung %4 "
    "bleibt erhalten";
// As above when replacing the previous backup frees room: %4 how much of %3
// that is, %5 the weekday folder.
inline constexpr const char* ErrNoRoomFreed =
    "Sicherung passt nicht auf Ziellaufwerk %1: %2 benötigt, %3 frei, davon %4 aus der vorigen Sicherung %5. "
    "Nichts gesichert, die vorige Sicherung bleibt erhalten";
// The backup fitted by the estimate, but after last week's weekday folder was
// deleted the room is too small: %1 the target, %2 needed, %3 free now, %4
// the weekday folder; InBin when the deletion freed nothing (the drive's
// Recycle Bin holds it).
inline constexpr const char* ErrNoRoomInBin =
    "Sicherung passt nicht auf Ziellaufwerk %1: %2 benötigt, nach dem Löschen der vorigen Sicherung nur %3 frei. "
    "Nichts gesichert; die vorige Sicherung %4 liegt im Papierkorb des Laufwerks und kann von dort wiederhergestellt "
    "werden";
inline constexpr const char* ErrNoRoomAfterDeletion =
    "Sicherung passt nicht auf Ziellaufwerk %1: %2 benötigt, nach dem Löschen der vorigen Sicherung nur %3 frei. "
    "Nichts gesichert; die vorige Sicherung %4 wurde gelöscht";
// %1: the short date and time of the run's start, %2: the target's number.
inline constexpr const char* BalloonNoRoom =
    "Sicherung fehlgeschlagen am %1 auf Ziellaufwerk %2: Zu wenig Platz, nichts wurde gelöscht. Einzelheiten im "
    "Protokoll.";
// Little room left after a run: less than a tenth of the drive, or less than
// the run wrote. %1: the target as typed, %2: the room free, %3: the drive's size.
inline constexpr const char* ErrSpaceLow =
    "Ziellaufwerk %1 fast voll: noch %2 von %3 frei, die nächste Sicherung passt möglicherweise nicht mehr";
// Follows the tooltip's last line. %1: the room free.
inline constexpr const char* TipSpaceLow = ", fast voll (%1 frei)";


// A missed start made up, the computer woken for the backup. %1: the short
// date and time the made-up run starts; %2: the missed start (MissedStart).
inline constexpr const char* ErrCatchUpPlanned = "Die Sicherung von %2 wurde verpasst. Sie wird am %1 Uhr nachgeholt";
// %1: the missed start (MissedStart), %2: the time hh:mm the made-up run starts today.
inline constexpr const char* BalloonCatchUpToday =
    "Die Sicherung von %1 wurde verpasst. Sie wird heute um %2 Uhr nachgeholt.";
// %3: the short date of a made-up run that starts after midnight.
inline constexpr const char* BalloonCatchUpLater =
    "Die Sicherung von %1 wurde verpasst. Sie wird am %3 um %2 Uhr nachgeholt.";
// A missed start named once: %1 the weekday, %2 the short date, %3 the time hh:mm.
inline constexpr const char* MissedStart = "%1, %2, %3 Uhr";
// After missed starts that nothing makes up: what the user can do.
inline constexpr const char* ErrMissedNoCatchUp =
    "Jetzt sichern: Rechtsklick auf das Symbol im Infobereich, \"Backup durchführen\". Verpasste "
    "Sicherungen holt das Programm selbst nach, wenn im selben Menü unter \"Optionen\" \"Verpasste "
    "Sicherung nachholen\" angehakt ist";
inline constexpr const char* BriefBackUpNow = "Jetzt sichern: \"Backup durchführen\".";
// %1: the short date and time the made-up run starts.
inline constexpr const char* BriefCatchUpPlanned = "Nachholen am %1 Uhr.";
// %1: the missed start (WhenStart).
inline constexpr const char* ErrCatchUpStarted = "Verpasste Sicherung vom %1 wird jetzt nachgeholt";
// A made-up run never switches the computer off, whatever the option says.
inline constexpr const char* ErrCatchUpNoShutdown =
    "Nachgeholte Sicherung beendet: Der PC wird danach nicht heruntergefahren";
// Said once per start of the program; the option stays on.
inline constexpr const char* ErrWakeRefused =
    "Computer kann zur Sicherung nicht geweckt werden: Windows lässt keine Zeitgeber zur Aktivierung zu "
    "(Energieoptionen)";
inline constexpr const char* BalloonWakeRefused =
    "Computer kann zur Sicherung nicht geweckt werden: Windows lässt keine Zeitgeber zur Aktivierung zu "
    "(Energieoptionen).";
inline constexpr const char* BriefWakeRefused = "Wecken nicht möglich.";

}  // namespace zb::txt
