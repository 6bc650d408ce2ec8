#pragma once
// The program's ports as stand-ins: the one place that assembles them, for
// the native tests and the native bench. The clock is the caller's (virtual
// in the tests, the real one in the bench).
#include <memory>

#include "core/uMain.h"
#include "standin/devices_posix.h"
#include "standin/shell_posix.h"
#include "standin/shellfiles_posix.h"
#include "standin/window_posix.h"

namespace zb {

struct StandIns {
    PosixWindow window;
    PosixTray tray;
    std::unique_ptr<IProfile> profile = makeProfile();
    std::unique_ptr<ISystem> system = makeSystem();
    std::unique_ptr<ILocale> locale = makeLocale();
    PosixShellFiles shellFiles;
    PosixVolume volume;
    PosixPower power;
    PosixSleepControl sleep;
    PosixRegistry registry;
    PosixShellLinkFactory shellLinks;
    PosixLauncher launcher;
    PosixEventLog eventLog;

    Ports ports(IClock& clock) { return ports(clock, window, tray); }
    // With another window or tray, for a test that watches their calls.
    Ports ports(IClock& clock, IWindow& w, ITray& t) {
        return Ports{w, *profile, *system, *locale, t, clock, shellFiles, volume, power, sleep, registry, shellLinks,
                     launcher, eventLog};
    }
};

}  // namespace zb
