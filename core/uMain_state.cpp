// The state of the backups outside the window: the outcome of every run in
// section Status, missed starts and a week without a complete backup in the
// error log, and all of it in the tray icon, its balloons and the event log.
#include <cstdio>
#include <algorithm>
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

// The balloon of a run not complete, from a settings file that has no
// Meldung yet (written by an earlier version).
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

std::string TfrmBackup::missedStart(const LocalDateTime& t) {
    return fill(txt::MissedStart, {weekdayName(t), locale_.formatShortDate(t), hhmm(t)});
}

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
    eventLog_.report(type, id, eventText(message));
    headLog();
    window_.appendLine(Ctl::mmo1, message + ": " + date);
    settings().writeString(ini::Errors, date, line);
    if (keeping_) keepReport(line + ": " + date);
}

void TfrmBackup::headLog() {
    // Each run's lines under its own header; lines after a run that belong
    // to none (missed starts, findings) under one of their own. A run cut
    // off is told under the heading of its kept reports.
    const bool ofRun = BackupRunning || keeping_;
    if (ofRun && logSection_ != LogSection::Run) {
        window_.appendLine(Ctl::mmo1, fill(txt::LogRun, {whenText(runStart_)}));
        logSection_ = LogSection::Run;
    } else if (!ofRun && logSection_ == LogSection::Run) {
        window_.appendLine(Ctl::mmo1, fill(txt::LogOther, {whenText(clock_.now())}));
        logSection_ = LogSection::Other;
    }
}

void TfrmBackup::openRunInLog() { logSection_ = LogSection::None; }

std::string TfrmBackup::sinceText(const std::optional<LocalDateTime>& start) {
    return start ? fill(txt::SinceWhen, {whenText(*start)}) : std::string(txt::UnknownBegin);
}

void TfrmBackup::keepReport(const std::string& line) {
    SettingsFile ini = settings();
    const int n = std::max(0, ini.readInteger(ini::ReportCount)) + 1;
    // A value longer than the profile functions read back would come back cut anyway.
    if (n <= ini::kKeptReports) ini.writeString(ini::Reports, std::to_string(n), cutUtf8(line, 2000));
    ini.writeInteger(ini::ReportCount, n);
}

void TfrmBackup::startKeptReports() {
    SettingsFile ini = settings();
    const int kept = std::min(std::max(0, ini.readInteger(ini::ReportCount)), ini::kKeptReports);
    for (int n = 1; n <= kept; ++n) {
        const std::string key = std::to_string(n);
        ini.remove({ini::Reports, key.c_str(), ini::Type::Text});
    }
    ini.writeInteger(ini::ReportCount, 0);
}

void TfrmBackup::showKeptReports(SettingsFile& ini, const std::optional<LocalDateTime>& start, bool cutOff) {
    const int count = std::max(0, ini.readInteger(ini::ReportCount));
    // A run cut off reports that next, under the same heading.
    if (count == 0 && !cutOff) return;
    window_.appendLine(Ctl::mmo1, fill(txt::LogLastRun, {sinceText(start)}));
    logSection_ = LogSection::Run;
    for (int n = 1; n <= std::min(count, ini::kKeptReports); ++n)
        window_.appendLine(Ctl::mmo1, ini.readString(ini::Reports, std::to_string(n), ""));
    if (count > ini::kKeptReports) window_.appendLine(Ctl::mmo1, fill(txt::LogMoreReports, {count - ini::kKeptReports}));
}

void TfrmBackup::markRunning(const std::string& folder) {
    try {
        settings().writeText(ini::Running, runningText(runStart_, folder.empty() ? 0 : CurrentTargetNo, folder));
    } catch (...) {
        // A settings file that cannot be written must not cost the backup itself.
    }
}

void TfrmBackup::recordOutcome(const LocalDateTime& start) {
    if (runRecorded_) return;  // the end of the session has told it already
    runRecorded_ = true;
    keeping_ = false;
    const Outcome outcome = tally_.outcome();
    const int target = tally_.targetPresent ? CurrentTargetNo : 0;
    const std::string when = whenText(start);
    lastRunComplete_ = outcome == Outcome::Complete;
    if (lastRunComplete_) missed_ = daysWithout_ = 0;
    lastRunTip_ = target != 0 ? fill(txt::TipLastRun, {outcomeWord(outcome), when, target})
                              : fill(txt::TipLastRunNoTarget, {outcomeWord(outcome), when});
    dropFindings(Gravity::LastRunNotComplete);
    // The event log and the balloon first: a settings file that cannot be
    // written must not keep them from the user. The event is read on other
    // computers, far from the window: it names the target and what the run
    // could not back up.
    const std::string text = lastRunComplete_ ? std::string() : runBalloon(tally_, when, target);
    const EventType type = outcome == Outcome::Complete     ? EventType::Information
                           : outcome == Outcome::Incomplete ? EventType::Warning
                                                            : EventType::Error;
    const std::uint32_t id = outcome == Outcome::Complete     ? kEventComplete
                             : outcome == Outcome::Incomplete ? kEventIncomplete
                                                              : kEventFailed;
    eventLog_.report(type, id, eventText(runEvent(tally_, when, target, CurrentTarget)));
    if (!lastRunComplete_) {
        addFinding(Gravity::LastRunNotComplete, text, txt::BriefLastRun);
        showFindings();
    }
    SettingsFile ini = settings();
    ini.writeText(ini::LastRun, stamp(start));
    ini.writeText(ini::LastOutcome, outcomeWord(outcome));
    ini.writeInteger(ini::LastTarget, target);
    ini.writeInteger(ini::LastMissing, tally_.missing);
    if (text.empty()) ini.remove(ini::LastReport);
    else ini.writeText(ini::LastReport, text);
    if (lastRunComplete_) {
        ini.writeText(ini::LastComplete, stamp(start));
        ini.writeInteger(ini::Missed, 0);
    }
    ini.remove(ini::Running);
    ini.writeText(ini::Alive, stamp(clock_.now()));
}

void TfrmBackup::recordNotEnded(const std::optional<LocalDateTime>& start, int target, const std::string& folder) {
    runRecorded_ = true;
    const std::string since = sinceText(start);
    lastRunComplete_ = false;
    lastRunTip_ = !start      ? fill(txt::TipLastRunUnknown, {txt::OutcomeIncomplete})
                  : target > 0 ? fill(txt::TipLastRun, {txt::OutcomeIncomplete, whenText(*start), target})
                               : fill(txt::TipLastRunNoTarget, {txt::OutcomeIncomplete, whenText(*start)});
    // Kept with the run's own reports, for every start until a complete run.
    keeping_ = true;
    try {
        logReport(notEndedReport(since, target, folder), clock_.now(), EventType::Warning, kEventIncomplete);
    } catch (...) {
        keeping_ = false;
        throw;
    }
    keeping_ = false;
    const std::string text = notEndedBalloon(since, target, folder);
    dropFindings(Gravity::LastRunNotComplete);
    addFinding(Gravity::LastRunNotComplete, text, txt::BriefLastRun);
    // What the run got across is not known: no count.
    SettingsFile ini = settings();
    if (start) ini.writeText(ini::LastRun, stamp(*start));
    else ini.remove(ini::LastRun);
    ini.writeText(ini::LastOutcome, txt::OutcomeIncomplete);
    if (target > 0) ini.writeInteger(ini::LastTarget, target);
    else ini.remove(ini::LastTarget);
    ini.remove(ini::LastMissing);
    ini.writeText(ini::LastReport, text);
    ini.remove(ini::Running);
}

void TfrmBackup::loadState() {
    SettingsFile ini = settings();
    const LocalDateTime now = clock_.now();
    // The mark itself proves that a run did not end, whatever its date says.
    if (const auto mark = runningMark(ini.readText(ini::Running), now)) {
        showKeptReports(ini, mark->start, true);
        recordNotEnded(mark->start, mark->target, mark->folder);
        return;
    }
    const auto start = trustedMoment(ini.readText(ini::LastRun), now);
    const auto outcome = outcomeFromWord(ini.readText(ini::LastOutcome));
    if (!outcome) return;
    const auto target = trustedCount(ini.readText(ini::LastTarget), 8);
    // A complete run at a time that cannot be is not shown; one that was
    // not complete is, whatever its date.
    if (!start && *outcome == Outcome::Complete) return;
    lastRunTip_ = !start                  ? fill(txt::TipLastRunUnknown, {outcomeWord(*outcome)})
                  : target && *target > 0 ? fill(txt::TipLastRun, {outcomeWord(*outcome), whenText(*start), *target})
                                          : fill(txt::TipLastRunNoTarget, {outcomeWord(*outcome), whenText(*start)});
    lastRunComplete_ = *outcome == Outcome::Complete;
    if (lastRunComplete_) return;
    // The user was away when it happened, perhaps because the computer
    // switched itself off after the run: the balloon again, and what the
    // run reported where the balloon points.
    showKeptReports(ini, start, false);
    std::string text = ini.readText(ini::LastReport);
    // Written by an earlier version: a run that ended has its count, one
    // cut off by the end of the session has none.
    const auto missing = trustedCount(ini.readText(ini::LastMissing));
    if (text.empty() && !missing) text = notEndedBalloon(sinceText(start), 0, {});
    else if (text.empty() && start && target) text = notComplete(*outcome, whenText(*start), *target, *missing);
    if (!text.empty()) addFinding(Gravity::LastRunNotComplete, text, txt::BriefLastRun);
}

void TfrmBackup::reportMissed(const StartsFound& found, const LocalDateTime& now) {
    if (found.missed == 0) return;
    const auto when = [this](const LocalDateTime& t) { return whenStart(t); };
    const auto reason = [](MissedWhy why) {
        return why == MissedWhy::Held      ? txt::ReasonMissedHeld
               : why == MissedWhy::Stopped  ? txt::ReasonMissedStopped
               : why == MissedWhy::ClockSet ? txt::ReasonMissedClockSet
                                            : txt::ReasonMissedOff;
    };
    const int earlier = found.missed - static_cast<int>(found.lastMissed.size());
    if (earlier > 0)
        logReport(fill(earlier == 1 ? txt::ErrMissedEarlierOne : txt::ErrMissedEarlier,
                       {earlier, when(found.firstMissed), reason(found.firstWhy)}),
                  now, EventType::Warning, kEventMissed);
    for (std::size_t i = 0; i < found.lastMissed.size(); ++i) {
        const LocalDateTime& t = found.lastMissed[i];
        logReport(fill(txt::ErrMissedRun, {weekdayName(t), locale_.formatShortDate(t), hhmm(t), reason(found.why[i])}),
                  now, EventType::Warning, kEventMissed);
    }
    const LocalDateTime& last = found.lastMissed.back();
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
    SettingsFile ini = settings();
    // Without any complete backup, the days count from when this program
    // first kept the state of the backups.
    const auto complete = trustedMoment(ini.readText(ini::LastComplete), now);
    const auto last = complete ? complete : trustedMoment(ini.readText(ini::Since), now);
    if (!last || !weekWithoutCompleteBackup(*last, now)) return;
    daysWithout_ = daysBetween(*last, now);
    // Once a day, also across starts of the program.
    if (ini.readText(ini::WeekWarned) == dayStamp(now)) return;
    ini.writeText(ini::WeekWarned, dayStamp(now));
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
    waiting_.insert(waiting_.end(), findings_.begin(), findings_.end());
    findings_.clear();
    refreshTray();
}

void TfrmBackup::dropFindings(Gravity gravity) {
    const auto of = [gravity](const Finding& f) { return f.gravity == gravity; };
    findings_.erase(std::remove_if(findings_.begin(), findings_.end(), of), findings_.end());
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(), of), waiting_.end());
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

bool TfrmBackup::WMEndSession(bool ending, bool forUpdate) {
    // Another program refused, or the user cancelled: the program goes on,
    // and its close must ask again.
    if (!ending) {
        if (!forUpdate) EndSessionPending = false;
        return false;
    }
    const CloseRequest why = forUpdate && !EndSessionPending ? CloseRequest::Update : CloseRequest::EndOfWindows;
    // A run that began after the program agreed goes on: the installer finds
    // the program still there and tries again later.
    if (why == CloseRequest::Update && BackupRunning) return false;
    try {
        reportMissed(decide({ScheduleEventKind::ProgramEnd}).found, clock_.now());
    } catch (...) {
    }
    markAlive();
    // The program ends: neither its wake nor its keep-awake may outlive it.
    dropWakeTimer();
    if (BackupRunning) (void)sleep_.keepAwake(false);
    // The process ends after this message, in the middle of the run.
    if (BackupRunning && !runRecorded_) {
        try {
            recordNotEnded(runStart_, runFolder_.empty() ? 0 : CurrentTargetNo, runFolder_);
        } catch (...) {
        }
    }
    noteProgramEnded(why);
    removeTrayIcon();
    return true;
}

void TfrmBackup::noteProgramEnded(CloseRequest why) {
    const char* text = why == CloseRequest::Update         ? txt::EventEndedForUpdate
                       : why == CloseRequest::EndOfWindows ? txt::EventEndedWithWindows
                                                           : txt::EventEndedByUser;
    try {
        eventLog_.report(EventType::Information, kEventProgramEnded, text);
    } catch (...) {
    }
}

void TfrmBackup::noteTimer(bool on) {
    try {
        std::string text = txt::EventTimerStopped;
        if (on) {
            static constexpr const char* kDays[] = {txt::Monday, txt::Tuesday, txt::Wednesday, txt::Thursday,
                                                    txt::Friday, txt::Saturday, txt::Sunday};
            std::string days;
            for (int d = 1; d <= 7; ++d)
                if (window_.checked(weekdayBox(d))) days += (days.empty() ? "" : ", ") + std::string(kDays[d - 1]);
            const TimeOfDay start = window_.time(Ctl::dtpTarget);
            text = fill(txt::EventTimerActivated, {days, zb::hhmm(start.hour, start.minute)});
        }
        eventLog_.report(on ? EventType::Information : EventType::Warning,
                         on ? kEventTimerActivated : kEventTimerStopped, text);
    } catch (...) {
    }
}

void TfrmBackup::WindowDestroyed() { windowGone_ = true; }

void TfrmBackup::PowerBroadcast(std::uint32_t event) {
    if (event == kPbtSuspend) {
        markAlive();
        (void)decide({ScheduleEventKind::Suspend});
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
    // Whole lines only, as many as the field holds: why it warns, then when
    // and where the last run was (which says itself that it was not complete).
    const auto add = [&](const std::string& line) {
        if (!line.empty() && tip.size() + 1 + line.size() < sizeof TrayIconData_.szTip) tip += "\n" + line;
    };
    if (reason != txt::BriefLastRun || lastRunTip_.empty()) add(reason);
    // The note on a nearly full target only where the line still fits.
    if (!lowSpaceTip_.empty() && tip.size() + 1 + lastRunTip_.size() + lowSpaceTip_.size() < sizeof TrayIconData_.szTip)
        add(lastRunTip_ + lowSpaceTip_);
    else add(lastRunTip_);
    if (window_.timerEnabled()) add(scheduleStatus(clock_.now()));
    put(TrayIconData_.szTip, tip);
}

void TfrmBackup::refreshTray() {
    // Without the icon, the state waits for the next to-tray.
    if (window_.shown() || TrayIconData_.cbSize == 0) return;
    fillTrayState();
    if (!waiting_.empty()) {
        TrayIconData_.uFlags |= NIF_INFO_;
        put(TrayIconData_.szInfo, summary(waiting_, sizeof TrayIconData_.szInfo - 1));
        put(TrayIconData_.szInfoTitle, txt::AppTitle);
        TrayIconData_.uTimeout = kBalloonMs;
        TrayIconData_.dwInfoFlags = NIIF_WARNING_;
    }
    // Shown once: later changes of the icon must not show it again. An icon
    // the shell did not take (no notification area yet at logon) keeps it
    // for the icon that TaskbarCreated brings back.
    if (tray_.notifyIcon(NIM_MODIFY_, TrayIconData_)) waiting_.clear();
    TrayIconData_.uFlags &= ~NIF_INFO_;
}

}  // namespace zb
