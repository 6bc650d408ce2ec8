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

void TfrmBackup::TimerTimer(Ctl) {
    if (BackupRunning) return;
    reportWeekWithoutCompleteBackup();
    const LocalDateTime now = clock_.now();
    window_.setText(Ctl::pnTitle, scheduleStatus(now));
    if (!window_.checked(weekdayBox(isoWeekday(now.year, now.month, now.day)))) {
        refreshTray();
        return;
    }
    const TimeOfDay startTime = window_.time(Ctl::dtpTarget);
    const std::string start = hhmm(startTime.hour, startTime.minute);

    const LocalDateTime again = clock_.now();
    if (hhmm(again.hour, again.minute) != start) {
        refreshTray();
        return;
    }

    // Whatever fails today, tomorrow's run must not find the program still
    // marked as running.
    try {
        miExecNowClick(Ctl::Timer);
        // A run that found no target has nothing to eject.
        if (window_.checked(Ctl::cbUnmountUSB) && CurrentTargetNo != 0 && !USBUnmount(CurrentTarget))
            report(fill(txt::ErrNotEjected, {CurrentTarget}));
        const bool shutdown = window_.checked(Ctl::cbSD);
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
