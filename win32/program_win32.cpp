#include "win32/program_win32.h"

#include <commctrl.h>

namespace zb {

Win32Program::Win32Program(HINSTANCE instance, IShellFiles* files)
    : window(instance),
      realShellFiles(files ? nullptr : makeShellFiles()),
      shellFiles(files ? *files : *realShellFiles),
      servedShellFiles(shellFiles, window),
      form(Ports{window, *profile, *system, *locale, tray, *clock, servedShellFiles, volume, power, sleep, registry,
                 shellLinks, launcher, eventLog}) {
    volume.serve = &window;
}

bool Win32Program::create() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    if (!window.create()) return false;
    window.attach(&form);
    return true;
}

}  // namespace zb
