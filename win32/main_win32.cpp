// Entry point: the application object, the main window, the message loop.
#include <windows.h>
#undef ExitWindows
#include <shellapi.h>

#include "core/preset.h"

#include "win32/instance_win32.h"
#include "win32/program_win32.h"

namespace {
// The argument Windows gives the program when it starts it again after an update.
constexpr wchar_t kRestartArgument[] = L"/Neustart";
constexpr DWORD kRestartWaitMs = 30000;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace zb;
    // A DLL asked for by bare name is looked for in System32 only, not beside
    // a portable copy on a stick or in a shared folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The step Windows runs once per user at logon on a computer where the
    // program was installed for all: it writes the user's autostart entry and
    // ends, so that the logon goes on and starts the program.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool logonStep = argv && argc == 2 && lstrcmpiW(argv[1], L"/Anmeldung") == 0;
    const bool restarted = argv && argc == 2 && lstrcmpiW(argv[1], kRestartArgument) == 0;
    LocalFree(argv);
    if (logonStep) {
        Win32Registry registry;
        try {
            FirstLogon(registry, *makeSystem());
        } catch (...) {
            return 1;
        }
        return 0;
    }
    // Before anything touches the settings, the registry or the shell: a
    // second program would run the same schedule on the same targets.
    SingleInstance single;
    if (restarted) {
        // Windows starts the program again after an update. The one it
        // replaced may still be ending; a program of the session that runs
        // on (started meanwhile) keeps running alone, and nothing is shown.
        if (!single.waitForOwner(kRestartWaitMs)) return 0;
    } else if (!single.owner() && single.handOver()) {
        return 0;
    }
    // An installer that closes the program for an update through the
    // Restart Manager starts it again afterwards, in this session, with this
    // argument; a crash, a hang or a restart of Windows do not (the autostart
    // entry starts it at the next logon).
    (void)RegisterApplicationRestart(kRestartArgument, RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);

    Win32Program program(instance);
    if (!program.create()) return 1;
    // An error during start-up ends FormCreate there; the window still opens
    // with what was loaded so far.
    program.window.guarded([&] { program.form.FormCreate(Ctl::frmBackup); });
    if (program.window.hwnd()) program.window.realize();
    return program.window.run();
}
