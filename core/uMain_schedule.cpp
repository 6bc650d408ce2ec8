// The minute tick that starts scheduled runs, and the two roads to a
// shutdown after a run.
#include <cstdio>

#include "core/uMain.h"
#include "core/calendar.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::uint32_t kPowerOffForced = 8 | 4;  // EWX_POWEROFF | EWX_FORCE

}  // namespace

bool TfrmBackup::shutDown() {
    if (ExitWindows(kPowerOffForced)) return true;
    // A refused shutdown must not leave the program marked as running, or no
    // scheduled backup would ever start again: the caller returns to waiting.
    report(txt::ErrShutdownRefused);
    return false;
}

void TfrmBackup::returnToWaiting() {
    BackupRunning = false;
    StartsFound missed;
    if (schedule_.running != RunKind::None) missed = decide({ScheduleEventKind::RunEnded}).found;
    reportMissed(missed, clock_.now());
    // Nothing to wait in: the program ends with its window.
    if (windowGone_) return;
    renewWakeTimer();
    window_.setEnabled(Ctl::btnActive, true);
    window_.setEnabled(Ctl::btnQuit, true);
    ApplicationEvents1Minimize(Ctl::frmBackup);
    // A start that came during the run follows it.
    if (schedule_.queued) window_.postTimerTick();
}

std::string TfrmBackup::scheduleStatus(const LocalDateTime& now) {
    if (!window_.checked(weekdayBox(isoWeekday(now.year, now.month, now.day)))) return txt::StatusActive;
    const TimeOfDay startTime = window_.time(Ctl::dtpTarget);
    const std::string start = hhmm(startTime.hour, startTime.minute);
    if (hhmm(now.hour, now.minute) > start) return txt::StatusNoMoreToday;
    return fill(txt::StatusDueToday, {start});
}

std::array<bool, 7> TfrmBackup::weekdays() const {
    std::array<bool, 7> days{};
    for (int d = 1; d <= 7; ++d) days[static_cast<std::size_t>(d - 1)] = window_.checked(weekdayBox(d));
    return days;
}

ScheduleFacts TfrmBackup::scheduleFacts() {
    ScheduleFacts f;
    f.now = clock_.now();
    f.tick = clock_.tickCount();
    f.weekdays = weekdays();
    f.start = window_.time(Ctl::dtpTarget);
    f.offset = [this](std::int64_t utc) { return clock_.utcOffsetMinutes(utc); };
    f.timerOn = window_.timerEnabled();
    f.shutdownOn = !windowGone_ && window_.checked(Ctl::cbSD);
    // A settings file that cannot be read gives the defaults: the schedule
    // still runs.
    try {
        SettingsFile ini = settings();
        f.catchUpOn = ini.readText(ini::CatchUp) == "1";
        f.catchUpDelay = catchUpDelayMinutes(ini.readText(ini::CatchUpDelay));
        f.lastRun = trustedMoment(ini.readText(ini::LastRun), f.now);
        f.lastComplete = trustedMoment(ini.readText(ini::LastComplete), f.now);
    } catch (...) {
    }
    return f;
}

ScheduleDecision TfrmBackup::decide(const ScheduleEvent& e) {
    ScheduleStep s = step(schedule_, e, scheduleFacts());
    schedule_ = std::move(s.next);
    if (s.decision.keep) {
        try {
            scheduleFile().writeText(ini::KeptSettled, stamp(*s.decision.keep));
        } catch (...) {
            // Then the last run and the mark of life tell the next start.
        }
    }
    return s.decision;
}

void TfrmBackup::tellDecision(const ScheduleDecision& d) {
    const LocalDateTime now = clock_.now();
    reportMissed(d.found, now);
    if (d.found.missed > 0 && !d.announce && !schedule_.catchUp) tellHowToBackUpNow();
    if (d.announce) announceCatchUp(*d.announce);
    if (d.post && !windowGone_) window_.postTimerTick();
}

void TfrmBackup::lookAfterAbsence(const std::optional<LocalDateTime>& alive) {
    tellDecision(decide({ScheduleEventKind::Absence, alive}));
}

void TfrmBackup::keepStop(const std::optional<LocalDateTime>& at) {
    try {
        SettingsFile own = scheduleFile();
        if (!at && own.readText(ini::KeptStop).empty()) return;  // no file made for nothing
        if (at) own.writeText(ini::KeptStop, stamp(*at));
        else own.remove(ini::KeptStop);
    } catch (...) {
        // Without the note a start passed meanwhile is told as missed while away.
    }
}

void TfrmBackup::TimerTimer(Ctl) {
    if (BackupRunning) {
        // A start that comes meanwhile waits for the run's end.
        (void)decide({ScheduleEventKind::Tick});
        return;
    }
    reportWeekWithoutCompleteBackup();
    const LocalDateTime now = clock_.now();
    window_.setText(Ctl::pnTitle, scheduleStatus(now));
    const ScheduleDecision d = decide({ScheduleEventKind::Tick});
    tellDecision(d);
    showFindings();
    if (d.run) return runScheduled(RunKind::Scheduled);
    if (d.makeUp) return makeUp();
    refreshTray();
}

void TfrmBackup::runScheduled(RunKind kind) {
    ScheduleDecision end;
    // Whatever fails today, tomorrow's run must not find the program still
    // marked as running.
    try {
        (void)decide({ScheduleEventKind::RunStarted, {}, false, kind});
        miExecNowClick(Ctl::Timer);
        // A run that found no target has nothing to eject.
        if (window_.checked(Ctl::cbUnmountUSB) && CurrentTargetNo != 0 && !USBUnmount(CurrentTarget))
            report(fill(txt::ErrNotEjected, {CurrentTarget}));
        end = decide({ScheduleEventKind::RunEnded});
        if (kind == RunKind::MadeUp && window_.checked(Ctl::cbSD))
            logReport(txt::ErrCatchUpNoShutdown, clock_.now(), EventType::Information, kEventCatchUp);
        window_.setText(Ctl::pnTitle, end.shutdown ? txt::StatusDoneShutdown : txt::StatusDone);
        if (end.shutdown) reportMissed(end.found, clock_.now());
        if (end.shutdown && shutDown()) return;
    } catch (...) {
        returnToWaiting();
        throw;
    }
    returnToWaiting();
    // Starts missed meanwhile belong to no run.
    if (!end.shutdown) reportMissed(end.found, clock_.now());
}

void TfrmBackup::scheduleRunStarted(Ctl Sender) {
    // The schedule's own runs said who they are before they began.
    if (Sender != Ctl::Timer || schedule_.running == RunKind::None)
        (void)decide({ScheduleEventKind::RunStarted, {}, false, RunKind::Other});
}

void TfrmBackup::miBackupAndShutdownClick(Ctl) {
    if (BackupRunning) return;
    if (box(MsgKind::Error, txt::AskBackupAndShutdown, MsgButtons::YesNo) != MsgResult::Yes) return;
    try {
        miExecNowClick(Ctl::frmBackup);
        reportMissed(decide({ScheduleEventKind::RunEnded}).found, clock_.now());
        // A start that came during the run is run before the computer goes
        // off; its own rule may switch it off already.
        if (schedule_.queued && !windowGone_) {
            BackupRunning = false;
            if (decide({ScheduleEventKind::Tick}).run) runScheduled(RunKind::Scheduled);
            if (BackupRunning) return;
        }
        if (shutDown()) return;
    } catch (...) {
        returnToWaiting();
        throw;
    }
    returnToWaiting();
}

}  // namespace zb
