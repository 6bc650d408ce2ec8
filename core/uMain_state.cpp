// The state of the backups outside the window: the outcome of every run in
// section Status, missed starts and a week without a complete backup in the
// error log, and all of it in the tray icon, its balloons and the event log.
#include <cstdio>
#include <cstring>

#include "core/calendar.h"
#include "core/message.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::uint32_t kPbtSuspend = 4, kPbtResumeAutomatic = 0x12;
constexpr std::uint32_t kEventComplete = 1, kEventIncomplete = 2, kEventFailed = 3, kEventMissed = 4,
                        kEventWeek = 5;
constexpr std::uint32_t kBalloonMs = 10000;

std::string hhmm(const LocalDateTime& t) { return zb::hhmm(t.hour, t.minute); }

const char* weekdayName(const LocalDateTime& t) {
    static constexpr const char* kNames[] = {txt::Monday, txt::Tuesday, txt::Wednesday, txt::Thursday,
                                             txt::Friday, txt::Saturday, txt::Sunday};
    return kNames[isoWeekday(t.year, t.month, t.day) - 1];
}

// The balloon, and the event's text, of a run that was not complete.
std::string notComplete(Outcome outcome, const std::string& when, int target, int missing) {
    if (outcome == Outcome::Failed)
        return target == 0 ? fill(txt::BalloonNoTarget, {when}) : fill(txt::BalloonNothingCopied, {when, target});
    if (missing == 0) return fill(txt::BalloonSourceLost, {when, target});
    if (missing == 1) return fill(txt::BalloonIncompleteOne, {when, target});
    return fill(txt::BalloonIncomplete, {when, target, missing});
}

template <std::size_t N>
void put(char (&field)[N], const std::string& text) {
    const std::string cut = cutUtf8(text, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, cut.data(), cut.size());
}

}  // namespace

std::string TfrmBackup::whenText(const LocalDateTime& t) { return locale_.formatShortDate(t) + " " + hhmm(t); }

std::string TfrmBackup::whenStart(const LocalDateTime& t) {
    return fill(txt::WhenStart, {weekdayName(t), locale_.formatShortDate(t), hhmm(t)});
}

void TfrmBackup::logReport(const std::string& message, const LocalDateTime& when, EventType type,
                           std::uint32_t id) {
    const std::string date = locale_.formatShortDate(when);
    std::string line = message;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';  // a line break would end the entry and start a bogus key
    // The event log first: a settings file that cannot be written must not
    // keep the report from an administrator.
    eventLog_.report(type, id, message);
    window_.appendLine(Ctl::mmo1, message + ": " + date);
    settings().writeString(ini::Errors, date, line);
}

void TfrmBackup::recordOutcome(const LocalDateTime& start) {
    if (runRecorded_) return;  // the end of the session has told it already
    runRecorded_ = true;
    const Outcome outcome = tally_.outcome();
    const int target = tally_.targetPresent ? CurrentTargetNo : 0;
    const std::string when = whenText(start);
    lastRunComplete_ = outcome == Outcome::Complete;
    if (lastRunComplete_) missed_ = daysWithout_ = 0;
    lastRunTip_ = fill(txt::TipLastRun, {outcomeWord(outcome), when, target});
    // The event log and the balloon first: a settings file that cannot be
    // written must not keep them from the user.
    if (outcome == Outcome::Complete) {
        eventLog_.report(EventType::Information, kEventComplete, fill(txt::EventComplete, {when, target}));
    } else {
        const std::string text =
            tally_.noSource ? fill(txt::BalloonNoSource, {when}) : notComplete(outcome, when, target, tally_.missing);
        // The event is read on other computers, far from the window: it
        // names the target and what the run could not back up.
        std::string event = text;
        if (target != 0 && !tally_.noSource) {
            event = fill(outcome == Outcome::Incomplete ? txt::EventIncomplete : txt::EventFailed,
                         {when, target, CurrentTarget, tally_.missing});
            if (!tally_.firstReport.empty()) event += " " + fill(txt::EventFirstReport, {tally_.firstReport});
        }
        eventLog_.report(outcome == Outcome::Incomplete ? EventType::Warning : EventType::Error,
                         outcome == Outcome::Incomplete ? kEventIncomplete : kEventFailed, event);
        balloon(text);
    }
    SettingsFile ini = settings();
    ini.writeText(ini::LastRun, stamp(start));
    ini.writeText(ini::LastOutcome, outcomeWord(outcome));
    ini.writeInteger(ini::LastTarget, target);
    ini.writeInteger(ini::LastMissing, tally_.missing);
    if (lastRunComplete_) {
        ini.writeText(ini::LastComplete, stamp(start));
        ini.writeInteger(ini::Missed, 0);
    }
    ini.remove(ini::Running);
    ini.writeText(ini::Alive, stamp(clock_.now()));
}

void TfrmBackup::recordNotEnded(const LocalDateTime& start) {
    runRecorded_ = true;
    const std::string when = whenText(start);
    lastRunComplete_ = false;
    lastRunTip_ = fill(txt::TipLastRunNoTarget, {txt::OutcomeIncomplete, when});
    logReport(fill(txt::ErrRunNotEnded, {when}), clock_.now(), EventType::Warning, kEventIncomplete);
    addFinding(Gravity::LastRunNotComplete, fill(txt::BalloonRunNotEnded, {when}), txt::BriefLastRun);
    // What the run got across is not known: neither its target nor a count.
    SettingsFile ini = settings();
    ini.writeText(ini::LastRun, stamp(start));
    ini.writeText(ini::LastOutcome, txt::OutcomeIncomplete);
    ini.remove(ini::LastTarget);
    ini.remove(ini::LastMissing);
    ini.remove(ini::Running);
}

void TfrmBackup::loadState() {
    SettingsFile ini = settings();
    const LocalDateTime now = clock_.now();
    if (const auto cut = trustedMoment(ini.readText(ini::Running), now)) {
        recordNotEnded(*cut);
        return;
    }
    const auto start = trustedMoment(ini.readText(ini::LastRun), now);
    const auto outcome = outcomeFromWord(ini.readText(ini::LastOutcome));
    if (!start || !outcome) return;
    const auto target = trustedCount(ini.readText(ini::LastTarget), 8);
    const std::string when = whenText(*start);
    lastRunTip_ = target ? fill(txt::TipLastRun, {outcomeWord(*outcome), when, *target})
                         : fill(txt::TipLastRunNoTarget, {outcomeWord(*outcome), when});
    lastRunComplete_ = *outcome == Outcome::Complete;
    // The user was away when it happened, perhaps because the computer
    // switched itself off after the run.
    if (*outcome != Outcome::Complete && target)
        addFinding(Gravity::LastRunNotComplete,
                   notComplete(*outcome, when, *target, trustedCount(ini.readText(ini::LastMissing)).value_or(0)),
                   txt::BriefLastRun);
}

void TfrmBackup::reportMissed(const StartsFound& found, const LocalDateTime& now) {
    if (found.missed == 0) return;
    const auto when = [this](const LocalDateTime& t) { return whenStart(t); };
    const int earlier = found.missed - static_cast<int>(found.lastMissed.size());
    if (earlier > 0)
        logReport(fill(txt::ErrMissedEarlier, {earlier, when(found.firstMissed)}), now, EventType::Warning,
                  kEventMissed);
    for (const LocalDateTime& t : found.lastMissed)
        logReport(fill(txt::ErrMissedRun, {weekdayName(t), locale_.formatShortDate(t), hhmm(t)}), now,
                  EventType::Warning, kEventMissed);
    const LocalDateTime& last = found.lastMissed.back();
    settled_ = last;
    missed_ += found.missed;
    addFinding(Gravity::MissedStarts,
               found.missed == 1 ? fill(txt::BalloonMissedOne, {when(last)})
                                 : fill(txt::BalloonMissedMany, {when(last), found.missed}),
               found.missed == 1 ? std::string(txt::BriefMissedOne) : fill(txt::BriefMissedMany, {found.missed}));
    SettingsFile ini = settings();
    ini.writeInteger(ini::Missed, missed_);
    // Reported once: the next start-up counts from here.
    ini.writeText(ini::Alive, stamp(clock_.now()));
}

void TfrmBackup::reportWeekWithoutCompleteBackup() {
    // Also when the schedule did not come on: then above all.
    if (!anyWeekdayTicked()) return;
    const LocalDateTime now = clock_.now();
    const std::int64_t today = secondsOf(now) / 86400;
    if (weekReportedDay_ == today) return;
    SettingsFile ini = settings();
    // Without any complete backup, the days count from when this program
    // first kept the state of the backups.
    const auto complete = trustedMoment(ini.readText(ini::LastComplete), now);
    const auto last = complete ? complete : trustedMoment(ini.readText(ini::Since), now);
    if (!last || !weekWithoutCompleteBackup(*last, now)) return;
    weekReportedDay_ = today;
    daysWithout_ = daysBetween(*last, now);
    const std::string when = whenText(*last);
    logReport(fill(complete ? txt::ErrNoCompleteBackup : txt::ErrNoCompleteBackupYet, {daysWithout_, when}), now,
              EventType::Warning, kEventWeek);
    addFinding(Gravity::DaysWithoutComplete,
               fill(complete ? txt::BalloonNoCompleteBackup : txt::BalloonNoCompleteBackupYet, {daysWithout_, when}),
               fill(txt::BriefNoCompleteBackup, {daysWithout_}));
}

void TfrmBackup::addFinding(Gravity gravity, const std::string& text, const std::string& brief) {
    findings_.push_back({gravity, text, brief});
}

void TfrmBackup::showFindings() {
    if (findings_.empty()) return;
    balloon(summary(findings_, sizeof TrayIconData_.szInfo - 1));
    findings_.clear();
}

std::string TfrmBackup::warningReason() {
    if (anyWeekdayTicked() && !window_.timerEnabled()) return txt::BriefNotActivated;
    if (!lastRunComplete_) return txt::BriefLastRun;
    if (missed_ == 1) return txt::BriefMissedOne;
    if (missed_ > 1) return fill(txt::BriefMissedMany, {missed_});
    if (daysWithout_ > 0) return fill(txt::BriefNoCompleteBackup, {daysWithout_});
    return {};
}

void TfrmBackup::markAlive() {
    try {
        SettingsFile ini = settings();
        const LocalDateTime now = clock_.now();
        if (!trustedMoment(ini.readText(ini::Since), now)) ini.writeText(ini::Since, stamp(now));
        ini.writeText(ini::Alive, stamp(now));
    } catch (...) {
        // A settings file that cannot be written is reported where it matters.
    }
}

void TfrmBackup::WMEndSession(bool ending) {
    // Another program refused, or the user cancelled: the program goes on,
    // and its close must ask again.
    if (!ending) {
        EndSessionPending = false;
        return;
    }
    markAlive();
    // The program ends: neither its wake nor its keep-awake may outlive it.
    dropWakeTimer();
    if (BackupRunning) (void)sleep_.keepAwake(false);
    // The process ends after this message, in the middle of the run.
    if (BackupRunning && !runRecorded_) {
        try {
            recordNotEnded(runStart_);
        } catch (...) {
        }
    }
    removeTrayIcon();
}

void TfrmBackup::WindowDestroyed() { windowGone_ = true; }

void TfrmBackup::PowerBroadcast(std::uint32_t event) {
    if (event == kPbtSuspend) {
        markAlive();
        // What passes while the computer sleeps is missed, not late.
        lookFrom_.reset();
    } else if (event == kPbtResumeAutomatic) {
        lookAfterAbsence(fromStamp(settings().readText(ini::Alive)));
        renewWakeTimer();
        reportWeekWithoutCompleteBackup();
        markAlive();
        showFindings();
        refreshTray();
    }
}

void TfrmBackup::fillTrayState() {
    const std::string reason = warningReason();
    TrayIconData_.hIcon = reason.empty() ? tray_.appIcon() : tray_.warningIcon();
    std::string tip = txt::TrayTip;
    // Whole lines only, as many as the field holds; the reason comes first.
    const auto add = [&](const std::string& line) {
        if (!line.empty() && tip.size() + 1 + line.size() < sizeof TrayIconData_.szTip) tip += "\n" + line;
    };
    add(reason);
    if (window_.timerEnabled()) add(scheduleStatus(clock_.now()));
    add(lastRunTip_);
    put(TrayIconData_.szTip, tip);
}

void TfrmBackup::balloon(const std::string& text) {
    balloon_ = text;
    refreshTray();
}

void TfrmBackup::refreshTray() {
    // Without the icon, the state waits for the next to-tray.
    if (window_.shown() || TrayIconData_.cbSize == 0) return;
    fillTrayState();
    if (!balloon_.empty()) {
        TrayIconData_.uFlags |= NIF_INFO_;
        put(TrayIconData_.szInfo, balloon_);
        put(TrayIconData_.szInfoTitle, txt::AppTitle);
        TrayIconData_.uTimeout = kBalloonMs;
        TrayIconData_.dwInfoFlags = NIIF_WARNING_;
    }
    (void)tray_.notifyIcon(NIM_MODIFY_, TrayIconData_);
    // Shown once: later changes of the icon must not show it again.
    balloon_.clear();
    TrayIconData_.uFlags &= ~NIF_INFO_;
}

}  // namespace zb
