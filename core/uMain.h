#pragma once
// TfrmBackup: the main window's logic. Every handler of the program lives
// here; it reaches the window and the system only through the ports, so the
// same code runs on Windows and in the native tests.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/backup_state.h"
#include "core/catchup_rules.h"
#include "core/close_rules.h"
#include "core/schedule_rules.h"
#include "core/schedule/schedule.h"
#include "core/copycheck.h"
#include "core/run/medium_lock.h"
#include "core/run/target_door.h"
#include "core/weekday_record.h"
#include "core/run_snapshot.h"
#include "core/target_paths.h"
#include "core/settings.h"
#include "platform/ports.h"
#include "platform/window_port.h"

namespace zb {

class CatalogKeeper;
class IRestoreWindow;

struct Ports {
    IWindow& window;
    IProfile& profile;
    ISystem& system;
    ILocale& locale;
    ITray& tray;
    IClock& clock;
    IShellFiles& shellFiles;
    IVolume& volume;
    IPower& power;
    ISleepControl& sleep;
    IRegistry& registry;
    IShellLinkFactory& shellLinks;
    ILauncher& launcher;
    IEventLog& eventLog;
};

class TfrmBackup {
public:
    explicit TfrmBackup(const Ports& ports);

    // The operations, in the order the window class declares them.
    void ApplicationEvents1Minimize(Ctl Sender);
    void FindPath(Ctl Sender);
    void ActivateBackup(Ctl Sender);
    void EndBackup(Ctl Sender);
    void FormCreate(Ctl Sender);
    void FormCloseQuery(Ctl Sender, bool& CanClose);
    void ActivatePfad(Ctl Sender);
    // The minute tick: status line, the scheduled run and what follows it.
    void TimerTimer(Ctl Sender);
    // Waits `Duration` ms while the window's messages are handled.
    void pause(std::int32_t Duration);
    bool ExitWindows(std::uint32_t Flags);  // only starts the shutdown; true when Windows accepted it
    // Reports an unattended failure: an entry in section Errors and a line in the log pane.
    void Fehlerbehandlung(const std::string& Message, const LocalDateTime& When);
    // Deletes an old weekday folder; a failure is reported.
    void dateredundanz(const std::string& Path, std::uintptr_t Owner);
    // One shell operation over all paths of the list; returns the shell's result.
    int DoFileWork(std::uintptr_t Owner, std::uint32_t Func, const std::vector<std::string>& List,
                   std::uint16_t Flags, int& Result);
    [[nodiscard]] bool USBUnmount(const std::string& Target);  // false on every failure; never raises
    // Copies everything directly inside Source into Dest; reports its own failures.
    void copyfiles(const std::string& Source, const std::string& Dest, std::uintptr_t Owner);
    // Brings Dest level with Source, writing only what changed; reports its
    // own failures as copyfiles does. Shown: the source as typed, for the
    // status line.
    void mirrorfiles(const std::string& Source, const std::string& Dest, const std::string& Shown);
    void miShowClick(Ctl Sender);
    // One complete backup run; Sender decides who finishes it.
    void miExecNowClick(Ctl Sender);
    void ApplicationEvents1Restore(Ctl Sender);
    void miBackupAndShutdownClick(Ctl Sender);
    void cbUnmountUSBClick(Ctl Sender);
    void cbSDClick(Ctl Sender);
    // The three shortcut buttons of "Optionen", told apart by the sender.
    void CreateSystemLinks(Ctl Sender);
    void btnStopTimerClick(Ctl Sender);
    void btnOpenLocalClick(Ctl Sender);
    void btnHelpClick(Ctl Sender);
    void btnSupportClick(Ctl Sender);
    void btnResetRedClick(Ctl Sender);
    // The check items of the tray menu's "Optionen": each click writes its
    // key and takes effect at once.
    void miOptionClick(Ctl Sender);
    // "Wiederherstellen...": the restore window.
    void miRestoreClick(Ctl Sender);

    // Window messages.
    // WM_QUERYENDSESSION: the answer to Windows. For the end of Windows
    // always yes; `forUpdate` when an installer asks through the Restart
    // Manager (ENDSESSION_CLOSEAPP): yes unless a run is going on.
    bool WMQueryEndSession(bool forUpdate = false);
    // WM_ENDSESSION: `ending` false when the end of the session, or the close
    // for an update, was cancelled. True when the program ends now.
    bool WMEndSession(bool ending, bool forUpdate = false);
    // The window is gone, by whatever road: a run still going must not read
    // its controls, and nothing may show it again.
    void WindowDestroyed();
    void WMTrayNotify(std::uintptr_t wParam, std::intptr_t lParam);

    // Asks the close query and, when it agrees, destroys the window.
    void Close();
    // A click on a control or menu item, as the window reports it.
    void Click(Ctl sender);
    // Sets a check box; a change of its state runs its click handler, as a
    // click by the user would.
    void setChecked(Ctl box, bool on);
    // The shell re-created the notification area.
    void TaskbarCreated();

    // Read-only views of the private state, for the window and the tests.
    bool backupRunning() const { return BackupRunning; }
    bool endSessionPending() const { return EndSessionPending; }
    const std::string& currentTarget() const { return CurrentTarget; }
    std::int32_t currentTargetNo() const { return CurrentTargetNo; }
    const TrayIconData& trayIconData() const { return TrayIconData_; }
    // The program is ending: the tray icon must not outlive it.
    void removeTrayIcon();

    // The state of the backups outside the window.
    // WM_POWERBROADCAST: the computer goes to sleep (PBT_APMSUSPEND) or wakes
    // (PBT_APMRESUMEAUTOMATIC).
    void PowerBroadcast(std::uint32_t event);
    // Notes in the settings file that the program runs now: before sleep, at
    // the end of the session and when the program ends. Never raises.
    void markAlive();
    // WM_TIMECHANGE: the clock or the time zone changed.
    void TimeChanged();
    // The made-up run waiting for its time, if any.
    const std::optional<CatchUp>& pendingCatchUp() const { return schedule_.catchUp; }
    // Where runs note what they backed up; without one they note nothing.
    void setCatalog(CatalogKeeper* keeper) { catalog_ = keeper; }
    void setRestoreWindow(IRestoreWindow* window) { restoreWindow_ = window; }

private:
    SettingsFile settings();
    void loadSettings(SettingsFile& ini);
    void saveSettings(SettingsFile& ini);
    bool anyWeekdayTicked() const;
    bool folderExists(const std::string& path);
    // A target that a run may use: named absolutely and there.
    bool targetPresent(int n);
    void report(const std::string& message);
    // A report of something the run could not back up; the first of them
    // goes into the run's event.
    void reportShort(const std::string& message);
    // Nothing of the ticked sources is backed up on this target.
    void loseEverySource();
    // The ticked sources that the run will not reach any more.
    void reportSourcesNotReached(int fromSource);
    // Serves the window's messages when called, at most every 50 ms.
    std::function<void()> messageServer();
    void runSteps();
    // Whether the run's backup fits on the chosen target, told before the
    // weekday folder W is deleted or written; when it clearly does not, the
    // run is reported and ends there.
    [[nodiscard]] bool roomForBackup(const std::string& W, bool keep);
    // After last week's weekday folder W was deleted, before the first copy:
    // whether the backup still fits, read anew (a Recycle Bin keeps what it
    // takes); when not, the run is reported and ends there.
    [[nodiscard]] bool roomAfterDeletion(const std::string& W);
    // After the copies: a target with little room left is named.
    void noteSpaceLeft();
    // Today's weekday folder in the target `root`, kept: what a fresh one
    // would not hold goes; `kept` gets the spelling of each source's folder
    // that stays. False when the weekday folder leads elsewhere and stays.
    bool pruneWeekdayFolder(const TargetPath& root, const std::string& weekday, std::array<std::string, 5>& kept);
    // Whether today's weekday folder is a link that could not be taken away;
    // `tell`: a link that stays is reported (unless the deletion did so).
    bool weekdayFolderIsLink(const TargetPath& root, const std::string& weekday, bool tell);
    // Whether the way into a source's folder passes a link.
    bool throughLink(const std::string& Dest);
    // The medium of the source being copied, the first time the run uses it.
    void noteSourceMedium(const std::string& Source);
    // Whether another medium answers where the run's target or the source
    // being copied was.
    MediaChange mediaChange();
    // A shortfall the check of a copy of Source in Dest left: tallied and reported.
    void reportShortfall(const std::string& Source, const std::string& Dest, const CopyShortfall& shortfall);
    void finishRun(Ctl Sender);
    // A run of the schedule with what follows it: ejection, the closing
    // status, the shutdown (never after a made-up run).
    void runScheduled(RunKind kind);
    // A run begins: the schedule learns who started it.
    void scheduleRunStarted(Ctl Sender);
    // After a run that its caller finishes: back to waiting in the tray.
    void returnToWaiting();
    // Switches the machine off after a run; reports a refusal.
    bool shutDown();
    MsgResult box(MsgKind kind, const std::string& text, MsgButtons buttons = MsgButtons::Ok);
    // The log pane's header before a line, when the line opens a section.
    void headLog();
    // A run begins: its first line opens its own header.
    void openRunInLog();
    // An entry in the error log that the event log also gets, as `id`.
    void logReport(const std::string& message, const LocalDateTime& when, EventType type, std::uint32_t id);
    // The outcome of a run that began at `start`, into section Status, the
    // event log and, when not complete, a balloon.
    void recordOutcome(const LocalDateTime& start);
    // A run that began at `start` (not known when empty) and did not reach
    // its end: the program was ended, the power lost, or the session ends
    // now. `target` and `folder` once it had chosen them, else 0 and empty.
    void recordNotEnded(const std::optional<LocalDateTime>& start, int target, const std::string& folder);
    // The program ends now, for `why`: told to the event log. Never raises.
    void noteProgramEnded(CloseRequest why);
    // The timer went on or off: told to the event log. Never raises.
    void noteTimer(bool on);
    // "vom <date time>", or the unknown start.
    std::string sinceText(const std::optional<LocalDateTime>& start);
    // The run's reports, kept for the next start while its outcome is not complete.
    void keepReport(const std::string& line);
    void startKeptReports();
    void showKeptReports(SettingsFile& ini, const std::optional<LocalDateTime>& start, bool cutOff);
    // Notes in Status that the run goes on: its start and, once chosen, its
    // target and weekday folder. Never raises.
    void markRunning(const std::string& folder);
    // The checks and the activation of ActivateBackup; the text of the check
    // that failed, empty when the schedule is active.
    std::string activate(bool byUser);
    // The start-up's activation; a schedule that did not come on is reported.
    void activateAtStartUp();
    void notActivated(const std::string& why);
    // What the clock, the controls and the settings say now, for the schedule.
    ScheduleFacts scheduleFacts();
    // Takes the schedule through `e`; the caller carries the decision out.
    ScheduleDecision decide(const ScheduleEvent& e);
    // Tells the missed starts and a made-up run planned; posts a waiting start.
    void tellDecision(const ScheduleDecision& d);
    // The stop of the timer, kept for the next start in the program's own file.
    void keepStop(const std::optional<LocalDateTime>& at);
    SettingsFile scheduleFile();
    // At start-up and on waking, from the last mark of life: the starts
    // missed meanwhile, and a run due in this minute, which the message loop
    // starts once start-up or wake is over.
    void lookAfterAbsence(const std::optional<LocalDateTime>& alive);
    void reportMissed(const StartsFound& found, const LocalDateTime& now);
    // Missed starts that nothing makes up: how to back up now.
    void tellHowToBackUpNow();
    void announceCatchUp(const CatchUp& c);
    // The made-up run whose time has come.
    void makeUp();
    // The wake timer for the next start, or none, as the options and the
    // schedule are now. Never raises.
    void renewWakeTimer();
    bool optionOn(const ini::Setting& s);
    void dropWakeTimer();
    std::array<bool, 7> weekdays() const;
    // At start-up and at the first tick of a day.
    void reportWeekWithoutCompleteBackup();
    void addFinding(Gravity gravity, const std::string& text, const std::string& brief);
    // What a start-up, a wake or a tick found, in one balloon.
    void showFindings();
    // Why the icon warns, the gravest reason; empty when all is well.
    std::string warningReason();
    void loadState();
    // On a user's first start: the administrator's preset as the user's
    // settings, its invalid values left out and reported.
    void takePreset();
    // The icon record's icon and tooltip as the state is now.
    void fillTrayState();
    // Shows the state in the icon, if it is there, and a waiting balloon.
    void refreshTray();
    // Takes the waiting findings of `gravity` back: a newer one replaces them.
    void dropFindings(Gravity gravity);
    std::string whenText(const LocalDateTime& t);
    // A scheduled start as the reports name it: weekday, date and time.
    std::string whenStart(const LocalDateTime& t);
    // A missed start named once: "Dienstag, 8.12.2026, 03:49 Uhr".
    std::string missedStart(const LocalDateTime& t);
    // The status line of an active schedule at that moment.
    std::string scheduleStatus(const LocalDateTime& now);

    IWindow& window_;
    IProfile& profile_;
    ISystem& system_;
    ILocale& locale_;
    ITray& tray_;
    IClock& clock_;
    IShellFiles& shellFiles_;
    IVolume& volume_;
    IPower& power_;
    ISleepControl& sleep_;
    IRegistry& registry_;
    IShellLinkFactory& shellLinks_;
    ILauncher& launcher_;
    IEventLog& eventLog_;

    bool BackupRunning = false;
    bool EndSessionPending = false;
    std::string CurrentTarget;
    std::int32_t CurrentTargetNo = 0;
    // The one notification-icon record; all zero until the first to-tray.
    TrayIconData TrayIconData_{};

    // What the current run meets, for its outcome.
    RunTally tally_;
    LocalDateTime runStart_{};
    bool runRecorded_ = false;
    // What the run works on, taken at its start.
    RunSnapshot snapshot_;
    // The run's way to its target, once chosen and found present.
    std::optional<TargetDoor> door_;
    // Every write and delete of the run goes through here; a step that
    // has no target gets an error, never the unchecked port.
    TargetDoor& onTarget();
    // The run's door, or outside a run a door of its own for a copy into,
    // or the deletion of, the folder `Dest`.
    TargetDoor* doorFor(const std::string& Dest);
    // The run's hold on its target medium, and the wait for it.
    std::optional<MediumLock> mediumLock_;
    [[nodiscard]] bool waitForMedium();
    // The record this run keeps in its weekday folder, once written, and the
    // files it backed up so far.
    std::optional<WeekdayRecord> record_;
    std::uint64_t filesSaved_ = 0;
    // Whether today's weekday folder is this account's (or nobody's); when
    // another's, the run is reported and ends there on this target.
    [[nodiscard]] bool ownWeekdayFolder(const std::string& W);
    // The record of the run's start ("läuft") and of its end.
    void beginRecord(const LocalDateTime& start);
    void endRecord();
    int currentSource_ = 0;  // the source being copied, 1 to 5
    bool targetSwapped_ = false;
    // The target went away during the run; last week's weekday folder was deleted at its start.
    bool targetGone_ = false, oldDeleted_ = false;
    bool windowGone_ = false;
    // The last run's outcome line for the tooltip; whether a warning is due.
    std::string lastRunTip_;
    // What the current run writes by its estimate, and the tooltip's note on
    // a target left nearly full.
    std::uint64_t runWrites_ = 0;
    // What the estimate expected the deletion to free, and the room free before it.
    std::uint64_t runFrees_ = 0, runFreeBefore_ = 0;
    std::optional<std::uint64_t> runBinBefore_;  // what the drive's Recycle Bin held then
    std::string lowSpaceTip_;
    bool lastRunComplete_ = true;
    std::int32_t missed_ = 0, daysWithout_ = 0;
    // Findings told in one balloon once the icon is there.
    std::vector<Finding> waiting_;
    // The run's weekday folder once chosen on a present target.
    std::string runFolder_;
    // Whether the run's reports are kept for the next start.
    bool keeping_ = false;
    std::vector<Finding> findings_;
    // Whose lines the log pane shows last.
    enum class LogSection { None, Run, Other } logSection_ = LogSection::None;
    // The whole state of the schedule: only decide() changes it.
    Schedule schedule_;
    bool wakeSet_ = false;
    bool wakeRefusalTold_ = false;
    // The catalog: the run's weekday folder once chosen, and at the end what
    // it holds. Never raises; a catalog that fails is reported.
    void catalogRunStarted();
    void catalogRunEnded();
    CatalogKeeper* catalog_ = nullptr;
    IRestoreWindow* restoreWindow_ = nullptr;
    std::int64_t catalogRun_ = 0;
};

}  // namespace zb
