#pragma once
// What the restore window shows, decided here so that the window only
// draws: one line per version, the drive to plug in for one not reachable,
// and whether a backup's medium is there now.
#include <functional>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "platform/ports.h"

namespace zb {

// Whether the medium of a backup answers under its target now.
bool reachable(IShellFiles& files, const Place& p);

// Times as the user reads them.
struct Shown {
    ILocale& locale;
    std::function<std::int32_t(std::int64_t)> utcOffset;
    std::string date(const LocalDateTime& t) const;
    std::string moment(std::int64_t fileTime) const;  // short date and hh:mm
};

std::string sizeText(std::uint64_t bytes);

// One line: name, folder, size, last change, backup, drive, state, with
// tabs between. `newest` gives the newest backup on a medium (for the
// plug-in line); `isReachable` the state of a place now.
std::string versionLine(const Version& v, const Shown& shown, const std::function<bool(const Place&)>& isReachable,
                        const std::function<LocalDateTime(const std::string& medium)>& newest);

// The place to take a version from: the newest reachable, whole ones first;
// nothing when none can be reached.
const Place* bestPlace(const Version& v, const std::function<bool(const Place&)>& isReachable);

// "Mittwoch, 9.12.2026" and the drive of a backup.
std::string backupText(const Place& p, const Shown& shown);
std::string driveText(const Place& p);

}  // namespace zb
