// Ejecting the target's volume after a scheduled run.
#include "core/uMain.h"
#include "core/drive/ufrDrive.h"

namespace zb {

namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool TfrmBackup::USBUnmount(const std::string& Target) {
    // An empty target or a network path ("\\server\share") has no volume of ours to eject.
    if (Target.size() < 2 || !isDriveLetter(Target[0]) || Target[1] != ':') return false;
    try {
        return EjectDrive(volume_, Target[0]);
    } catch (...) {
        // The tick reports every false itself; the system's text adds nothing for the user.
        return false;
    }
}

}  // namespace zb
