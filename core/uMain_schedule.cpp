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
    // Nothing to wait in: the program ends with its window.
    if (windowGone_) return;
    renewWakeTimer();
    window_.setEnabled(Ctl::btnActive, true);
    window_.setEnabled(Ctl::btnQuit, true);
    ApplicationEvents1Minimize(Ctl::frmBackup);
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

std::optional<LocalDateTime> TfrmBackup::settledStart(const LocalDateTime& now) {
    // A run that began in the future is damage or a clock set back: it must
    // not keep today's start from running.
    std::optional<LocalDateTime> ran = trustedMoment(settings().readText(ini::LastRun), now);
    if (ran && secondsOf(*ran) > secondsOf(now)) ran.reset();
    if (!settled_ || (ran && secondsOf(*ran) > secondsOf(*settled_))) return ran;
    return settled_;
}

StartsFound TfrmBackup::lookAtSchedule(const LocalDateTime& previous, bool recent) {
    const LocalDateTime now = clock_.now();
    ScheduleLook look{previous, recent, now, settledStart(now), weekdays(), window_.time(Ctl::dtpTarget)};
    look.heldFrom = heldFrom_;
    look.heldRecent = heldFrom_ && clock_.tickCount() - heldTick_ <= kLateTickMs;
    look.stoppedAt = stoppedAt_;
    const StartsFound found =
        zb::lookAtSchedule(look, [this](std::int64_t utc) { return clock_.utcOffsetMinutes(utc); });
    lookFrom_ = now;
    lookTick_ = clock_.tickCount();
    reportMissed(found, now);
    return found;
}

void TfrmBackup::lookAfterAbsence(const std::optional<LocalDateTime>& alive) {
    const LocalDateTime now = clock_.now();
    // Without a mark of life (the first start of this version) only this
    // minute is known; one before 2000 is damage, one in the future a clock
    // set back.
    const bool known = alive && alive->year >= 2000 && secondsOf(*alive) <= secondsOf(now);
    const StartsFound found = lookAtSchedule(known ? *alive : now, false);
    // Run from the message loop: the window can show the run only once
    // start-up or wake is over.
    if (found.runNow && window_.timerEnabled()) {
        // That tick looks from the start on: one a box held past its minute
        // is still run.
        lookFrom_ = *found.runNow;
        window_.postTimerTick();
    }
    heldFrom_.reset();
    lookForCatchUp(found);
}

void TfrmBackup::noteStopped(const std::optional<LocalDateTime>& at) {
    stoppedAt_ = at;
    try {
        SettingsFile ini = settings();
        if (at) ini.writeText(ini::Stopped, stamp(*at));
        else ini.remove(ini::Stopped);
    } catch (...) {
        // Without the note a start passed meanwhile is told as missed while away.
    }
}

void TfrmBackup::TimerTimer(Ctl) {
    if (BackupRunning) {
        // The run in progress serves a start that comes meanwhile.
        lookFrom_ = clock_.now();
        lookTick_ = clock_.tickCount();
        return;
    }
    reportWeekWithoutCompleteBackup();
    const LocalDateTime now = clock_.now();
    window_.setText(Ctl::pnTitle, scheduleStatus(now));
    // A tick served late (the message loop busy, timers put together) still
    // runs the start it passed over; one after a long stop reports it.
    const bool recent = lookFrom_ && clock_.tickCount() - lookTick_ <= kLateTickMs;
    const auto due = lookAtSchedule(lookFrom_.value_or(now), recent).runNow;
    showFindings();
    if (!due) {
        if (!runCatchUp()) refreshTray();
        return;
    }
    settled_ = due;
    runScheduled(false);
}

void TfrmBackup::runScheduled(bool madeUp) {
    // Whatever fails today, tomorrow's run must not find the program still
    // marked as running.
    try {
        miExecNowClick(Ctl::Timer);
        // A run that found no target has nothing to eject.
        if (window_.checked(Ctl::cbUnmountUSB) && CurrentTargetNo != 0 && !USBUnmount(CurrentTarget))
            report(fill(txt::ErrNotEjected, {CurrentTarget}));
        // Made up after a start-up or a wake, the run would switch off a
        // computer that someone has just begun to use.
        const bool shutdown = window_.checked(Ctl::cbSD) && !madeUp;
        if (madeUp && window_.checked(Ctl::cbSD))
            logReport(txt::ErrCatchUpNoShutdown, clock_.now(), EventType::Information, kEventCatchUp);
        window_.setText(Ctl::pnTitle, shutdown ? txt::StatusDoneShutdown : txt::StatusDone);
        if (shutdown && shutDown()) return;
    } catch (...) {
        returnToWaiting();
        throw;
    }
    returnToWaiting();
}

void TfrmBackup::miBackupAndShutdownClick(Ctl) {
    if (BackupRunning) return;
    if (box(MsgKind::Error, txt::AskBackupAndShutdown, MsgButtons::YesNo) != MsgResult::Yes) return;
    try {
        miExecNowClick(Ctl::frmBackup);
        if (shutDown()) return;
    } catch (...) {
        returnToWaiting();
        throw;
    }
    returnToWaiting();
}

}  // namespace zb
