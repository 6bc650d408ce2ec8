#pragma once
// Every section and key of Backup.ini, named once: its type and its default.
// The rest of the program names a setting only through this table.
#include <array>
#include <cstdint>

#include "platform/ports.h"

namespace zb::ini {

inline constexpr const char* Backup = "Backup";
// The error log: one entry per day, its key the short date, its value the
// day's last report on one line.
inline constexpr const char* Errors = "Errors";

enum class Type { Flag, Text, Integer, Time };

struct Setting {
    const char* section;
    const char* key;
    Type type;
    std::int32_t number = 0;  // the default of a flag (0 or 1) or an integer
    TimeOfDay time{};         // the default of a time; a text's default is empty
};

// In the order the settings are saved.
inline constexpr std::array<Setting, 7> Weekday{{{Backup, "Mon", Type::Flag},
                                                 {Backup, "Die", Type::Flag},
                                                 {Backup, "Mit", Type::Flag},
                                                 {Backup, "Don", Type::Flag},
                                                 {Backup, "Fre", Type::Flag},
                                                 {Backup, "Sam", Type::Flag},
                                                 {Backup, "Son", Type::Flag}}};
inline constexpr std::array<Setting, 5> SourceOn{{{Backup, "P1A", Type::Flag},
                                                  {Backup, "P2A", Type::Flag},
                                                  {Backup, "P3A", Type::Flag},
                                                  {Backup, "P4A", Type::Flag},
                                                  {Backup, "P5A", Type::Flag}}};
inline constexpr std::array<Setting, 5> SourcePath{{{Backup, "P1P", Type::Text},
                                                    {Backup, "P2P", Type::Text},
                                                    {Backup, "P3P", Type::Text},
                                                    {Backup, "P4P", Type::Text},
                                                    {Backup, "P5P", Type::Text}}};
inline constexpr std::array<Setting, 8> Target{{{Backup, "TAR1", Type::Text},
                                                {Backup, "TAR2", Type::Text},
                                                {Backup, "TAR3", Type::Text},
                                                {Backup, "TAR4", Type::Text},
                                                {Backup, "TAR5", Type::Text},
                                                {Backup, "TAR6", Type::Text},
                                                {Backup, "TAR7", Type::Text},
                                                {Backup, "TAR8", Type::Text}}};
inline constexpr Setting StartTime{Backup, "ZEI", Type::Time, 0, {1, 0, 0}};
inline constexpr Setting Eject{Backup, "UNM", Type::Flag};
inline constexpr Setting Shutdown{Backup, "SHU", Type::Flag};
// The target the last run used (1 to 8): written by the run, not on activation.
inline constexpr Setting Rotation{Backup, "redundanz", Type::Integer, 1};
// "1": a run keeps today's weekday folder and copies only what changed; any
// other value, or none, is the run that deletes and copies everything.
inline constexpr Setting OnlyChanges{Backup, "NurAenderungen", Type::Text};
// The options of the tray menu, each "1" for on and written by its item at
// once; any other value, or none, is off. OnlyChanges is the first of them.
// "1": a start missed while the computer was off or asleep is made up once,
// CatchUpDelay minutes after the start-up or the wake that found it.
inline constexpr Setting CatchUp{Backup, "Nachholen", Type::Text};
// Minutes, 1 to 120; anything else is 10.
inline constexpr Setting CatchUpDelay{Backup, "NachholenNach", Type::Text};
// "1": the computer is woken from sleep a minute before each start.
inline constexpr Setting Wake{Backup, "Wecken", Type::Text};

// The state of the backups, for the program's next start and for scripts.
// Moments as "JJJJ-MM-TT hh:mm:ss", local time.
inline constexpr const char* Status = "Status";
inline constexpr Setting LastRun{Status, "Letzte", Type::Text};          // start of the last run
inline constexpr Setting LastOutcome{Status, "Ergebnis", Type::Text};    // its outcome word
inline constexpr Setting LastTarget{Status, "Ziel", Type::Integer};      // the target it used, 0 for none
inline constexpr Setting LastMissing{Status, "Fehlend", Type::Integer};  // files still missing after it
inline constexpr Setting LastComplete{Status, "LetzteVollstaendige", Type::Text};
// The last moment the program is known to have run.
inline constexpr Setting Alive{Status, "Aktiv", Type::Text};
// The start of a run that has not ended yet; removed at its end, so a start
// of the program that finds it knows the run was cut off.
inline constexpr Setting Running{Status, "Laeuft", Type::Text};
// When this program first kept the state of the backups: without a complete
// backup, the days without one count from here.
inline constexpr Setting Since{Status, "Seit", Type::Text};
// Scheduled starts missed since the last complete backup.
inline constexpr Setting Missed{Status, "Verpasst", Type::Integer};
// What the balloon said of the last run while it is not complete: told
// again at each start, with its own reason.
inline constexpr Setting LastReport{Status, "Meldung", Type::Text};
// The day ("JJJJ-MM-TT") a week without a complete backup was last reported.
inline constexpr Setting WeekWarned{Status, "Gewarnt", Type::Text};
// When "Timer stoppen" was pressed, as earlier versions kept it; removed on
// activation.
inline constexpr Setting Stopped{Status, "Gestoppt", Type::Text};
// The same in the program's own file beside the settings (ScheduleFileName):
// the click leaves the user's settings file as it is.
inline constexpr Setting KeptStop{"Zeitplan", "Gestoppt", Type::Text};
// The newest start run or told as missed: after a clock set back and a
// process killed, no start is run or told twice.
inline constexpr Setting KeptSettled{"Zeitplan", "Erledigt", Type::Text};

// The reports of the last run, one a key "1" to "50", for the log pane of
// the next start while that run is not complete.
inline constexpr const char* Reports = "Protokoll";
inline constexpr Setting ReportCount{Reports, "Anzahl", Type::Integer};
inline constexpr int kKeptReports = 50;

}  // namespace zb::ini
