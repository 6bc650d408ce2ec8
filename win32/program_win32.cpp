#include "win32/program_win32.h"

#include <commctrl.h>

namespace zb {

Win32Program::Win32Program(HINSTANCE instance, IShellFiles* files)
    : window(instance),
      realShellFiles(files ? nullptr : makeShellFiles()),
      shellFiles(files ? *files : *realShellFiles),
      servedShellFiles(shellFiles, window),
      catalog(restoreFiles, shellFiles, settingsFolder(*system) + "Katalog.db"),
      restoreWindow(instance, catalog, *locale, *clock, [this] { return rebuildTargets(); },
                    [this] { return sourceFolders(); }),
      form(Ports{window, *profile, *system, *locale, tray, *clock, servedShellFiles, volume, power, sleep, registry,
                 shellLinks, launcher, eventLog}) {
    volume.serve = &window;
    form.setCatalog(&catalog);
    form.setRestoreWindow(&restoreWindow);
}

std::vector<RebuildTarget> Win32Program::rebuildTargets() {
    std::vector<RebuildTarget> out;
    for (int n = 1; n <= 8; ++n)
        if (const std::string t = window.text(edTarget(n)); !t.empty()) out.push_back({n, t});
    return out;
}

std::array<std::string, 5> Win32Program::sourceFolders() {
    std::array<std::string, 5> out;
    for (int k = 1; k <= 5; ++k)
        if (const std::string p = window.text(edPfad(k)); !p.empty())
            out[static_cast<std::size_t>(k - 1)] = p.back() == '\\' ? p : p + "\\";
    return out;
}

bool Win32Program::create() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    if (!window.create()) return false;
    window.attach(&form);
    return true;
}

}  // namespace zb
