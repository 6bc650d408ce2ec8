// Activation of a schedule and the small handlers of the settings controls.
#include <cstdio>

#include "core/errors.h"
#include "core/paths.h"
#include "core/uMain.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

bool TfrmBackup::folderExists(const std::string& path) {
    return isAbsolutePath(path) && system_.directoryExists(path);
}

void TfrmBackup::ActivateBackup(Ctl) {
    if (!activate(true).empty()) return;
    showFindings();
}

std::string TfrmBackup::activate(bool byUser) {
    // The box as it always was; the report names the cause as it is.
    const auto refuse = [this](const std::string& text, const std::string& report) {
        box(MsgKind::Error, text);
        return report.empty() ? text : report;
    };
    if (!anyWeekdayTicked()) return refuse(txt::ErrNoDay, {});
    bool anyPath = false;
    for (int k = 1; k <= 5; ++k) anyPath = anyPath || window_.checked(cbPfad(k));
    if (!anyPath) return refuse(txt::ErrNoPath, {});
    for (int k = 1; k <= 5; ++k) {
        const std::string path = window_.text(edPfad(k));
        if (window_.checked(cbPfad(k)) && !folderExists(path))
            return refuse(fill(txt::ErrPathN, {k}),
                          path.empty() ? fill(txt::ReasonPathEmpty, {k}) : fill(txt::ReasonPathMissing, {k, path}));
    }
    for (int n = 1; n <= 8; ++n) {
        const std::string target = window_.text(edTarget(n));
        if (!target.empty() && !folderExists(target))
            box(MsgKind::Error, fill(txt::TargetNotReady, {target}));
    }
    SettingsFile ini = settings();
    saveSettings(ini);
    ini.remove(ini::Stopped);
    keepStop(std::nullopt);
    ini.writeText(ini::Alive, stamp(clock_.now()));
    // A running timer keeps its rhythm: re-enabling would restart the minute.
    if (!window_.timerEnabled()) {
        window_.setTimerEnabled(true);
        noteTimer(true);
    }
    const ScheduleDecision d = decide({ScheduleEventKind::Activate, {}, byUser});
    renewWakeTimer();
    ApplicationEvents1Minimize(Ctl::frmBackup);
    // The starts passed while the timer was stopped are told as such.
    reportMissed(d.found, clock_.now());
    return {};
}

void TfrmBackup::activateAtStartUp() {
    std::string failure;
    try {
        failure = activate(false);
    } catch (const EZelkorError& e) {
        notActivated(e.what());
        throw;
    }
    if (!failure.empty()) notActivated(failure);
}

void TfrmBackup::notActivated(const std::string& why) {
    constexpr std::uint32_t kEventNotActivated = 6;
    // The check's message on one line: its line breaks become one blank.
    std::string line;
    for (char c : why) {
        const bool brk = c == '\r' || c == '\n';
        if (!brk) line += c;
        else if (!line.empty() && line.back() != ' ') line += ' ';
    }
    const std::string text = fill(txt::ErrNotActivated, {line});
    addFinding(Gravity::ScheduleOff, text, txt::BriefNotActivated);
    logReport(text, clock_.now(), EventType::Error, kEventNotActivated);
}

void TfrmBackup::ActivatePfad(Ctl) {
    for (int k = 1; k <= 5; ++k) window_.setVisible(edPfad(k), false);
    for (int k = 1; k <= 5; ++k) window_.setVisible(btnFind(k), false);
    for (int k = 1; k <= 5; ++k) {
        if (!window_.checked(cbPfad(k))) continue;
        window_.setVisible(edPfad(k), true);
        window_.setVisible(btnFind(k), true);
    }
}

void TfrmBackup::FindPath(Ctl Sender) {
    const auto picked = window_.pickFolder();
    if (!picked || picked->empty()) return;
    const std::string path = withTrailingDelimiter(*picked);
    for (int k = 1; k <= 5; ++k) {
        if (Sender == btnFind(k)) {
            window_.setText(edPfad(k), path);
            setChecked(cbPfad(k), true);
            return;
        }
    }
    for (int n = 1; n <= 8; ++n) {
        if (Sender == btnFindTarget(n)) {
            window_.setText(edTarget(n), path);
            return;
        }
    }
}

void TfrmBackup::cbSDClick(Ctl) {
    if (!window_.checked(Ctl::cbSD)) {
        window_.setEnabled(Ctl::cbUnmountUSB, true);
        return;
    }
    if (window_.checked(Ctl::cbUnmountUSB)) {
        setChecked(Ctl::cbUnmountUSB, false);
        window_.setEnabled(Ctl::cbUnmountUSB, false);
        box(MsgKind::Confirmation, txt::InfoUnmountOff);
    }
}

void TfrmBackup::cbUnmountUSBClick(Ctl) {
    if (!window_.checked(Ctl::cbUnmountUSB)) {
        window_.setEnabled(Ctl::cbSD, true);
        return;
    }
    if (box(MsgKind::Warning, txt::WarnUnmount, MsgButtons::YesNo) == MsgResult::No) {
        if (window_.checked(Ctl::cbSD)) {
            setChecked(Ctl::cbSD, false);
            window_.setEnabled(Ctl::cbSD, false);
            box(MsgKind::Confirmation, txt::InfoShutdownOff);
        }
        return;
    }
    setChecked(Ctl::cbUnmountUSB, false);
    box(MsgKind::Confirmation, txt::InfoNotActivated);
}

void TfrmBackup::btnResetRedClick(Ctl) { settings().writeInteger(ini::Rotation, 1); }

void TfrmBackup::btnStopTimerClick(Ctl) {
    if (window_.timerEnabled()) {
        noteTimer(false);
        keepStop(clock_.now());
    }
    const ScheduleDecision d = decide({ScheduleEventKind::Stop});
    window_.setTimerEnabled(false);
    renewWakeTimer();
    reportMissed(d.found, clock_.now());
    window_.setText(Ctl::pnTitle, txt::StatusTimerStopped);
    window_.processMessages();
}

}  // namespace zb
