// A missed start made up after start-up or wake, and the computer woken for
// the next start: the form's side of core/catchup_rules.h.
#include "core/message.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

bool TfrmBackup::optionOn(const ini::Setting& s) { return settings().readText(s) == "1"; }

void TfrmBackup::announceCatchUp(const CatchUp& c) {
    const LocalDateTime now = clock_.now();
    const std::string missed = missedStart(c.makesUp), due = whenText(c.due);
    const std::string at = hhmm(c.due.hour, c.due.minute);
    const bool today = c.due.year == now.year && c.due.month == now.month && c.due.day == now.day;
    logReport(fill(txt::ErrCatchUpPlanned, {due, missed}), now, EventType::Information, kEventCatchUp);
    addFinding(Gravity::News,
               today ? fill(txt::BalloonCatchUpToday, {missed, at})
                     : fill(txt::BalloonCatchUpLater, {missed, at, locale_.formatShortDate(c.due)}),
               fill(txt::BriefCatchUpPlanned, {due}));
}

void TfrmBackup::tellHowToBackUpNow() {
    if (optionOn(ini::CatchUp)) return;  // on, and still nothing to make up: too old, or stopped on purpose
    // In the pane only: the error log keeps a day's newest entry, which must
    // stay the missed start itself.
    headLog();
    window_.appendLine(Ctl::mmo1, std::string(txt::ErrMissedNoCatchUp) + ": " + locale_.formatShortDate(clock_.now()));
    addFinding(Gravity::News, std::string(txt::ErrMissedNoCatchUp) + ".", txt::BriefBackUpNow);
}

void TfrmBackup::makeUp() {
    logReport(fill(txt::ErrCatchUpStarted, {whenStart(schedule_.catchUp->makesUp)}), clock_.now(),
              EventType::Information, kEventCatchUp);
    // The run itself drops the plan: a run of any kind replaces it.
    runScheduled(RunKind::MadeUp);
}

void TfrmBackup::renewWakeTimer() {
    try {
        std::optional<std::int64_t> at;
        if (optionOn(ini::Wake)) at = nextWake(schedule_, scheduleFacts());
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
    tellDecision(decide({ScheduleEventKind::ClockChanged}));
    // The wake timer holds a moment in UTC: a new zone moves the local start.
    renewWakeTimer();
    showFindings();
}

}  // namespace zb
