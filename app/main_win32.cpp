// Entry point: the application object, the main window, the message loop.
#include <windows.h>
#include <commctrl.h>
#undef ExitWindows

#include "app/instance_win32.h"
#include "app/uMain.h"
#include "app/window_win32.h"
#include "platform/devices_win32.h"
#include "platform/handles_win32.h"
#include "platform/shell_win32.h"
#include "platform/tray_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace zb;
    // Before anything touches the settings, the registry or the shell: a
    // second program would run the same schedule on the same targets.
    SingleInstance program;
    if (!program.owner() && program.handOver()) return 0;

    ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);

    Win32Window window(instance);
    if (!window.create()) return 1;
    auto profile = makeProfile();
    auto system = makeSystem();
    auto locale = makeLocale();
    auto clock = makeClock();
    auto shellFiles = makeShellFiles();
    Win32Tray tray;
    Win32Volume volume;
    Win32Power power;
    Win32Registry registry;
    Win32ShellLinkFactory shellLinks;
    Win32Launcher launcher;
    TfrmBackup frmBackup(Ports{window, *profile, *system, *locale, tray, *clock, *shellFiles, volume, power, registry,
                                 shellLinks, launcher});
    window.attach(&frmBackup);

    // An error during start-up ends FormCreate there; the window still opens
    // with what was loaded so far.
    window.guarded([&] { frmBackup.FormCreate(Ctl::frmBackup); });
    if (window.hwnd()) window.realize();
    return window.run();
}
