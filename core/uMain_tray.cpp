// The window's two states: shown, or hidden with an icon in the notification area.
#include <cstring>

#include "core/uMain.h"
#include "platform/restore_port.h"
#include "resources/texts.h"

namespace zb {

void TfrmBackup::ApplicationEvents1Minimize(Ctl) {
    // A run keeps its window: in the tray, its menu could start a second run
    // inside this one. Whatever minimised the window, it comes back.
    if (BackupRunning) {
        window_.setMinimized(false);
        window_.setShown(true);
        return;
    }
    window_.setMinimized(true);
    window_.setShown(false);
    TrayIconData_.cbSize = kNotifyIconDataV2Size;
    TrayIconData_.hWnd = window_.handle();
    TrayIconData_.uID = 0;
    TrayIconData_.uFlags = NIF_MESSAGE_ | NIF_ICON_ | NIF_TIP_;
    TrayIconData_.uCallbackMessage = WM_TRAYNOTIFY;
    fillTrayState();
    (void)tray_.notifyIcon(NIM_ADD_, TrayIconData_);
    if (!waiting_.empty()) refreshTray();
}

void TfrmBackup::ApplicationEvents1Restore(Ctl) {
    (void)tray_.notifyIcon(NIM_DELETE_, TrayIconData_);
    window_.setMinimized(false);
    window_.setShown(true);
    window_.bringToFront();
}

void TfrmBackup::miShowClick(Ctl) { ApplicationEvents1Restore(Ctl::frmBackup); }

void TfrmBackup::WMTrayNotify(std::uintptr_t, std::intptr_t lParam) {
    if (lParam == WM_LBUTTONDOWN_ || lParam == NIN_BALLOONUSERCLICK_) miShowClick(Ctl::frmBackup);
    else if (lParam == WM_RBUTTONDOWN_) {
        // The file is the live copy of the options: an administrator may have edited it.
        window_.setCheckedState(Ctl::miOnlyChanges, optionOn(ini::OnlyChanges));
        window_.setCheckedState(Ctl::miCatchUp, optionOn(ini::CatchUp));
        window_.setCheckedState(Ctl::miWake, optionOn(ini::Wake));
        window_.popupTrayMenuAtCursor();
    }
}

void TfrmBackup::miOptionClick(Ctl Sender) {
    const ini::Setting& key = Sender == Ctl::miOnlyChanges ? ini::OnlyChanges
                              : Sender == Ctl::miCatchUp   ? ini::CatchUp
                                                           : ini::Wake;
    const bool on = !optionOn(key);
    settings().writeText(key, on ? "1" : "0");
    window_.setCheckedState(Sender, on);
    if (Sender == Ctl::miCatchUp && !on) (void)decide({ScheduleEventKind::CatchUpOff});
    if (Sender == Ctl::miWake) {
        renewWakeTimer();
        showFindings();
    }
}

void TfrmBackup::miRestoreClick(Ctl) {
    // Restoring while a run writes is allowed: the window reads the backups
    // of other weekday folders, and writes only where the user says.
    if (restoreWindow_) restoreWindow_->open();
}

void TfrmBackup::TaskbarCreated() {
    // A restarted shell has forgotten our icon; without it a hidden window
    // could not be reached any more.
    if (window_.shown() || TrayIconData_.cbSize == 0) return;
    (void)tray_.notifyIcon(NIM_ADD_, TrayIconData_);
    // A balloon that found no notification area at logon comes now.
    if (!waiting_.empty()) refreshTray();
}

void TfrmBackup::removeTrayIcon() {
    if (!window_.shown() && TrayIconData_.cbSize != 0) (void)tray_.notifyIcon(NIM_DELETE_, TrayIconData_);
}

}  // namespace zb
