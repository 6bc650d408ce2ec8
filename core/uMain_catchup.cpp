// A missed start made up after start-up or wake, and the computer woken for
// the next start: the form's side of core/catchup_rules.h.
#include "core/message.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

bool TfrmBackup::optionOn(const ini::Setting& s) { return settings().readText(s) == "1"; }

void TfrmBackup::lookForCatchUp(const StartsFound& found) {
    SettingsFile ini = settings();
    const LocalDateTime now = clock_.now();
    CatchUpLook look;
    // Only the schedule's tick runs it: without an active schedule there is
    // nothing to make up. A wake in the middle of a run: that run serves it.
    look.enabled = ini.readText(ini::CatchUp) == "1" && window_.timerEnabled() && !BackupRunning;
    look.delayMinutes = catchUpDelayMinutes(ini.readText(ini::CatchUpDelay));
    look.found = &found;
    look.lastComplete = trustedMoment(ini.readText(ini::LastComplete), now);
    look.pending = catchUp_;
    look.now = now;
    look.tick = clock_.tickCount();
    catchUp_ = planCatchUp(look);
    if (!catchUp_) return;
    const std::string start = whenStart(catchUp_->makesUp), due = whenText(catchUp_->due);
    logReport(fill(txt::ErrCatchUpPlanned, {start, due}), now, EventType::Information, kEventCatchUp);
    addFinding(Gravity::News, fill(txt::BalloonCatchUpPlanned, {start, due}), fill(txt::BriefCatchUpPlanned, {due}));
}

bool TfrmBackup::runCatchUp() {
    if (!catchUp_ || !catchUpDue(*catchUp_, clock_.tickCount())) return false;
    logReport(fill(txt::ErrCatchUpStarted, {whenStart(catchUp_->makesUp)}), clock_.now(), EventType::Information,
              kEventCatchUp);
    // The run itself drops the plan: a run of any kind replaces it.
    runScheduled(true);
    return true;
}

void TfrmBackup::renewWakeTimer() {
    try {
        std::optional<std::int64_t> at;
        if (window_.timerEnabled() && optionOn(ini::Wake))
            at = wakeMoment(clock_.now(), weekdays(), window_.time(Ctl::dtpTarget),
                            [this](std::int64_t utc) { return clock_.utcOffsetMinutes(utc); });
        if (!at) return dropWakeTimer();
        const WakeTimer result = sleep_.setWakeTimer(*at);
        wakeSet_ = true;
        if (result == WakeTimer::Set || wakeRefusalTold_) return;
        // Once: the option stays on, and the power plan may change.
        wakeRefusalTold_ = true;
        addFinding(Gravity::News, txt::BalloonWakeRefused, txt::BriefWakeRefused);
        logReport(txt::ErrWakeRefused, clock_.now(), EventType::Warning, kEventWakeRefused);
    } catch (...) {
        // A settings file that cannot be written is reported where it matters.
    }
}

void TfrmBackup::dropWakeTimer() {
    if (wakeSet_) sleep_.cancelWakeTimer();
    wakeSet_ = false;
}

void TfrmBackup::TimeChanged() {
    // The wake timer holds a moment in UTC: a new zone moves the local start.
    renewWakeTimer();
    showFindings();
}

}  // namespace zb
