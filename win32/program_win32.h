#pragma once
// The program assembled from its Win32 ports: the one place that does it,
// for WinMain and for the Windows bench.
#include <windows.h>
#undef ExitWindows

#include <memory>

#include "core/catalog/catalog_keeper.h"
#include "core/uMain.h"
#include "win32/devices_win32.h"
#include "win32/eventlog_win32.h"
#include "win32/handles_win32.h"
#include "win32/power_win32.h"
#include "win32/restore_files_win32.h"
#include "win32/restore_window_win32.h"
#include "win32/served_shellfiles_win32.h"
#include "win32/shell_win32.h"
#include "win32/tray_win32.h"
#include "win32/window_win32.h"

namespace zb {

class Win32Program {
public:
    // `shellFiles` stands in for the real file port when given (the bench
    // times the shell through it); it must outlive the program.
    explicit Win32Program(HINSTANCE instance, IShellFiles* shellFiles = nullptr);
    Win32Program(const Win32Program&) = delete;
    Win32Program& operator=(const Win32Program&) = delete;

    // Creates the window, not yet on the screen, and hands it the form.
    [[nodiscard]] bool create();
    // The targets and source folders as the window holds them now, for a
    // rebuild of the catalog.
    std::vector<RebuildTarget> rebuildTargets();
    std::array<std::string, 5> sourceFolders();

    ComApartment com;
    Win32Window window;
    std::unique_ptr<IProfile> profile = makeProfile();
    std::unique_ptr<ISystem> system = makeSystem();
    std::unique_ptr<ILocale> locale = makeLocale();
    std::unique_ptr<IClock> clock = makeClock();
    std::unique_ptr<IShellFiles> realShellFiles;
    IShellFiles& shellFiles;
    // The form's file port: the shell's operations on a worker thread.
    ServedShellFiles servedShellFiles;
    Win32Tray tray;
    Win32Volume volume;
    Win32Power power;
    Win32SleepControl sleep;
    Win32Registry registry;
    Win32ShellLinkFactory shellLinks;
    Win32Launcher launcher;
    Win32EventLog eventLog;
    // The catalog of backed-up files and the window that restores from it.
    Win32RestoreFiles restoreFiles;
    CatalogKeeper catalog;
    Win32RestoreWindow restoreWindow;
    // Last, so that it goes first: the window outlives the form.
    TfrmBackup form;
};

}  // namespace zb
