// Start-up, loading and saving the settings, and the end of the program.
#include <algorithm>

#include "core/uMain.h"
#include "resources/texts.h"
#include "core/message.h"
#include "core/preset.h"
#include "core/shell/links.h"

namespace zb {

TfrmBackup::TfrmBackup(const Ports& p)
    : window_(p.window),
      profile_(p.profile),
      system_(p.system),
      locale_(p.locale),
      tray_(p.tray),
      clock_(p.clock),
      shellFiles_(p.shellFiles),
      volume_(p.volume),
      power_(p.power),
      sleep_(p.sleep),
      registry_(p.registry),
      shellLinks_(p.shellLinks),
      launcher_(p.launcher),
      eventLog_(p.eventLog) {}

SettingsFile TfrmBackup::settings() { return SettingsFile(profile_, locale_, settingsFilePath(system_)); }

SettingsFile TfrmBackup::scheduleFile() {
    return SettingsFile(profile_, locale_, settingsFolder(system_) + txt::ScheduleFileName);
}

MsgResult TfrmBackup::box(MsgKind kind, const std::string& text, MsgButtons buttons) {
    return window_.messageBox(kind, buttons, text);
}

bool TfrmBackup::anyWeekdayTicked() const {
    for (int d = 1; d <= 7; ++d)
        if (window_.checked(weekdayBox(d))) return true;
    return false;
}

void TfrmBackup::setChecked(Ctl box, bool on) {
    if (window_.checked(box) == on) return;
    window_.setCheckedState(box, on);
    Click(box);
}

void TfrmBackup::Click(Ctl sender) {
    switch (sender) {
        case Ctl::cbPfad1: case Ctl::cbPfad2: case Ctl::cbPfad3: case Ctl::cbPfad4: case Ctl::cbPfad5:
            ActivatePfad(sender);
            break;
        case Ctl::btnFind1: case Ctl::btnFind2: case Ctl::btnFind3: case Ctl::btnFind4: case Ctl::btnFind5:
        case Ctl::btnFindTarget1: case Ctl::btnFindTarget2: case Ctl::btnFindTarget3: case Ctl::btnFindTarget4:
        case Ctl::btnFindTarget5: case Ctl::btnFindTarget6: case Ctl::btnFindTarget7: case Ctl::btnFindTarget8:
            FindPath(sender);
            break;
        case Ctl::cbUnmountUSB: cbUnmountUSBClick(sender); break;
        case Ctl::cbSD: cbSDClick(sender); break;
        case Ctl::btnResetRed: btnResetRedClick(sender); break;
        case Ctl::btnStopTimer: btnStopTimerClick(sender); break;
        case Ctl::btnActive: ActivateBackup(sender); break;
        case Ctl::btnQuit: case Ctl::Beenden1: EndBackup(sender); break;
        case Ctl::miShow: miShowClick(sender); break;
        case Ctl::btnAddDesktop: case Ctl::btnbtnAddIconInStartup: case Ctl::btnDeleteIconInStartup:
            CreateSystemLinks(sender);
            break;
        case Ctl::btnHelp: btnHelpClick(sender); break;
        case Ctl::btnSupport: btnSupportClick(sender); break;
        case Ctl::btnOpenLocal: btnOpenLocalClick(sender); break;
        case Ctl::miExecNow: miExecNowClick(sender); break;
        case Ctl::miBackupAndShutdown: miBackupAndShutdownClick(sender); break;
        case Ctl::miOnlyChanges: case Ctl::miCatchUp: case Ctl::miWake: miOptionClick(sender); break;
        case Ctl::miRestore: miRestoreClick(sender); break;
        default: break;
    }
}

void TfrmBackup::FormCreate(Ctl) {
    BackupRunning = false;
    EndSessionPending = false;
    (void)decide({ScheduleEventKind::StartUp});
    window_.setText(Ctl::pnTitle, txt::StatusInit);
    window_.processMessages();

    const std::string folder = settingsFolder(system_);
    const bool firstStart = !system_.directoryExists(folder);
    if (firstStart) {
        // First start for this user. A refused autostart entry ends start-up
        // here, before the folder exists, so the next start tries again.
        CreateSystemLinks(Ctl::btnbtnAddIconInStartup);
        btnHelpClick(Ctl::frmBackup);
    }
    // A folder that cannot be created shows later: reads give defaults and the
    // first write reports the file.
    (void)system_.forceDirectories(folder);
    if (firstStart) takePreset();

    SettingsFile ini = settings();
    loadSettings(ini);
    loadState();
    missed_ = trustedCount(ini.readText(ini::Missed)).value_or(0);
    // Kept in the program's own file; an earlier version kept it in Status.
    std::string stop = scheduleFile().readText(ini::KeptStop);
    if (stop.empty()) stop = ini.readText(ini::Stopped);
    (void)decide({ScheduleEventKind::StopKept, trustedMoment(stop, clock_.now())});
    (void)decide({ScheduleEventKind::SettledKept,
                  trustedMoment(scheduleFile().readText(ini::KeptSettled), clock_.now())});
    // The activation notes that the program runs: what happened while it was
    // away counts from the mark it found.
    const auto alive = fromStamp(ini.readText(ini::Alive));
    if (anyWeekdayTicked()) activateAtStartUp();
    lookAfterAbsence(alive);
    (void)decide({ScheduleEventKind::StartUpDone});
    reportWeekWithoutCompleteBackup();
    markAlive();
    showFindings();
    refreshTray();
    // Last, so that a refused entry costs no settings and no backups.
    RestoreAutostartEntry(registry_, system_);
}

void TfrmBackup::takePreset() {
    const std::string preset = presetPath(system_);
    if (preset.empty()) return;
    // Read once, from the handle whose owner and rights were judged: what
    // the name points to afterwards is never read.
    const ISystem::TrustedFile file = system_.readTrustedFile(preset, kLargestPreset);
    switch (file.trust) {
        case ISystem::Trust::Missing: return;
        case ISystem::Trust::Untrusted: report(fill(txt::ErrPresetUntrusted, {preset})); return;
        case ISystem::Trust::Trusted: break;
    }
    if (!file.text) {
        report(fill(txt::ErrPresetTooLarge, {preset}));
        return;
    }
    const IniText text(*file.text);
    const auto read = [&](const ini::Setting& s) -> std::optional<std::string> {
        std::optional<std::string> value = text.value(s.section, s.key);
        // A folder of the account's own; a variable the account lacks makes it invalid.
        if (value && isFolderSetting(s)) return forThisAccount(*value, system_).value_or(std::string(1, '\x01'));
        return value;
    };
    const PresetJudgement judged =
        judgePreset(read, {locale_.timeSeparator(), locale_.amDesignator(), locale_.pmDesignator()});
    SettingsFile ini = settings();
    for (const PresetValue& v : judged.take) ini.writeText(v.setting, v.value);
    if (judged.refused.empty()) return;
    std::string keys;
    for (const std::string& k : judged.refused) keys += (keys.empty() ? "" : ", ") + k;
    report(fill(txt::ErrPresetValues, {preset, keys}));
}

void TfrmBackup::loadSettings(SettingsFile& ini) {
    for (int d = 1; d <= 7; ++d) setChecked(weekdayBox(d), ini.readFlag(ini::Weekday[d - 1]));
    for (int k = 1; k <= 5; ++k) setChecked(cbPfad(k), ini.readFlag(ini::SourceOn[k - 1]));
    for (int k = 1; k <= 5; ++k) window_.setText(edPfad(k), ini.readText(ini::SourcePath[k - 1]));
    for (int n = 1; n <= 8; ++n) window_.setText(edTarget(n), ini.readText(ini::Target[n - 1]));
    window_.setTime(Ctl::dtpTarget, ini.readTime(ini::StartTime));
    setChecked(Ctl::cbSD, ini.readFlag(ini::Shutdown));
    setChecked(Ctl::cbUnmountUSB, ini.readFlag(ini::Eject));
}

void TfrmBackup::saveSettings(SettingsFile& ini) {
    for (int d = 1; d <= 7; ++d) ini.writeFlag(ini::Weekday[d - 1], window_.checked(weekdayBox(d)));
    for (int k = 1; k <= 5; ++k) ini.writeFlag(ini::SourceOn[k - 1], window_.checked(cbPfad(k)));
    for (int k = 1; k <= 5; ++k) ini.writeText(ini::SourcePath[k - 1], window_.text(edPfad(k)));
    for (int n = 1; n <= 8; ++n) ini.writeText(ini::Target[n - 1], window_.text(edTarget(n)));
    ini.writeTime(ini::StartTime, window_.time(Ctl::dtpTarget));
    ini.writeFlag(ini::Eject, window_.checked(Ctl::cbUnmountUSB));
    ini.writeFlag(ini::Shutdown, window_.checked(Ctl::cbSD));
}

void TfrmBackup::FormCloseQuery(Ctl, bool& CanClose) {
    switch (closeAnswer(CloseRequest::User, EndSessionPending, BackupRunning)) {
        case CloseAnswer::Close: CanClose = true; break;
        case CloseAnswer::Refuse: CanClose = false; break;
        case CloseAnswer::Ask:
            CanClose = box(MsgKind::Confirmation, txt::AskQuit, MsgButtons::YesNo) == MsgResult::Yes;
            break;
    }
}

void TfrmBackup::Close() {
    bool canClose = true;
    FormCloseQuery(Ctl::frmBackup, canClose);
    if (!canClose) return;
    try {
        reportMissed(decide({ScheduleEventKind::ProgramEnd}).found, clock_.now());
    } catch (...) {
        // The program ends all the same.
    }
    noteProgramEnded(CloseRequest::User);
    markAlive();
    dropWakeTimer();
    removeTrayIcon();
    window_.destroy();
    WindowDestroyed();
}

void TfrmBackup::EndBackup(Ctl) { Close(); }

bool TfrmBackup::WMQueryEndSession(bool forUpdate) {
    // An update is no end of Windows: it does not count as one, and a
    // refusal here leaves no trace on later closes.
    if (forUpdate) return closeAnswer(CloseRequest::Update, EndSessionPending, BackupRunning) == CloseAnswer::Close;
    EndSessionPending = true;
    bool canClose = true;
    FormCloseQuery(Ctl::frmBackup, canClose);
    return canClose;
}

}  // namespace zb
