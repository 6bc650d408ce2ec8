#pragma once
// The texts of the catalog and the restore window, UTF-8, as the user sees
// them; "%1" to "%9" filled by zb::fill (core/message.h).
namespace zb::txt {

// %1: the run's error.
inline constexpr const char* ErrCatalogWrite =
    "Der Katalog der gesicherten Dateien konnte nicht geschrieben werden (%1). Die Sicherung selbst ist davon "
    "nicht betroffen.";
// %1: the name the damaged file was put aside under.
inline constexpr const char* ErrCatalogDamaged =
    "Der Katalog der gesicherten Dateien war beschädigt und wurde als %1 beiseitegelegt; ein neuer wurde "
    "angelegt. „Katalog neu einlesen“ im Fenster „Wiederherstellen“ liest die Sicherungen der eingesteckten "
    "Laufwerke wieder ein.";
inline constexpr const char* CatalogFileName = "Katalog.db";

// Kept files: %1 the name, %2 the date; %3 the number when that name is taken.
inline constexpr const char* KeptName = "%1 (vor der Wiederherstellung am %2)";
inline constexpr const char* KeptNameN = "%1 (vor der Wiederherstellung am %2, %3)";

// Outcomes of a restore.
inline constexpr const char* RestoredOne = "1 Datei wiederhergestellt";
// %1: how many.
inline constexpr const char* RestoredMany = "%1 Dateien wiederhergestellt";
// %1: how many kept.
inline constexpr const char* RestoredKept = "; %1 vorhandene Datei(en) unter neuem Namen behalten";
// %1 restored, %2 of all, %3 the first file that failed, %4 why.
inline constexpr const char* RestoredFailed = "%1 von %2 Dateien wiederhergestellt. Nicht wiederhergestellt: %3 (%4)";
// %1: how many more failed.
inline constexpr const char* RestoredFailedMore = " und %1 weitere";
// %1 restored, %2 of all.
inline constexpr const char* RestoreCancelled = "Abgebrochen: %1 von %2 Dateien wiederhergestellt";
inline constexpr const char* WhyMismatch = "Größe oder Änderungszeit weichen vom Katalog ab";
inline constexpr const char* WhyOutside = "liegt außerhalb des gewählten Ordners";
inline constexpr const char* WhyFolderInWay = "dort ist ein Ordner gleichen Namens";
inline constexpr const char* WhyPlaceChanged = "der Zielordner wurde inzwischen ersetzt";

}  // namespace zb::txt

namespace zb::txt {

// The restore window.
inline constexpr const char* RestoreCaption = "Dateien wiederherstellen";
inline constexpr const char* RestoreSearchLabel = "&Suchen (Name oder Teil des Pfades):";
inline constexpr const char* RestoreBackupLabel = "Sicherung &durchsuchen:";
inline constexpr const char* RestoreNoBackupChosen = "(keine, Suchergebnisse zeigen)";
inline constexpr const char* RestoreColumns = "Name\tOrdner\tGröße\tLetzte Änderung\tSicherung\tLaufwerk\tZustand";
inline constexpr const char* RestoreToOriginal = "&An den ursprünglichen Ort";
inline constexpr const char* RestoreToFolder = "Wiederherstellen &nach...";
inline constexpr const char* RestoreAllVersions = "Alle &Versionen speichern unter...";
inline constexpr const char* RestoreRebuild = "&Katalog neu einlesen";
inline constexpr const char* RestoreCancel = "Abbrechen";
inline constexpr const char* RestoreClose = "S&chließen";
inline constexpr const char* RestoreUp = "[..] eine Ebene höher";
// %1: how many versions.
inline constexpr const char* RestoreFound = "%1 Versionen gefunden";
inline constexpr const char* RestoreFoundOne = "1 Version gefunden";
inline constexpr const char* RestoreNothingFound = "Nichts gefunden";
inline constexpr const char* RestoreTypeToSearch =
    "Geben Sie einen Namen oder einen Teil eines Pfades ein, oder wählen Sie eine Sicherung zum Durchsuchen.";
inline constexpr const char* RestoreWorking = "Bitte warten...";
inline constexpr const char* RestoreReachable = "erreichbar";
// %1: the target's number, %2: the medium's label, %3: the short date of its newest backup.
inline constexpr const char* RestorePlugIn = "Ziellaufwerk %1 einstecken: Datenträger „%2“, zuletzt am %3 gesichert";
// %1: the target's number, %2: the short date of its newest backup; a medium without a label.
inline constexpr const char* RestorePlugInNoLabel = "Ziellaufwerk %1 einstecken, zuletzt am %2 gesichert";
// %1: the target's number, %2: the medium's label.
inline constexpr const char* RestoreDrive = "Ziellaufwerk %1 („%2“)";
inline constexpr const char* RestoreDriveNoLabel = "Ziellaufwerk %1";
// %1: the weekday, %2: the short date of the backup.
inline constexpr const char* RestoreBackup = "%1, %2";
inline constexpr const char* RestoreNotWhole = " (unvollständig)";
// %1: how many files are there already, %2: the short date for their new names.
inline constexpr const char* RestoreAskKeep =
    "%1 Datei(en) sind am Ziel schon vorhanden und weichen ab. Sie werden nicht überschrieben, sondern "
    "umbenannt in „Name (vor der Wiederherstellung am %2)“ und bleiben erhalten.\r\n\r\nFortfahren?";
inline constexpr const char* RestorePickFolder = "Ordner für die wiederhergestellten Dateien wählen";
inline constexpr const char* RestoreNothingReachable =
    "Keine Version ist erreichbar: Stecken Sie das genannte Ziellaufwerk ein.";
inline constexpr const char* RestoreNoOriginal = "Der ursprüngliche Ort dieser Sicherung ist nicht bekannt.";
// %1: the backups read.
inline constexpr const char* RebuildDone = "Katalog neu eingelesen: %1 Sicherungen";
inline constexpr const char* RebuildCancelled = "Einlesen abgebrochen; der Katalog ist unverändert.";
// %1: the error.
inline constexpr const char* CatalogUnreadable = "Der Katalog kann nicht gelesen werden (%1).";

}  // namespace zb::txt
