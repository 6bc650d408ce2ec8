#include "core/run/medium_lock.h"

#include <cstdio>

namespace zb {

std::string MediumLock::keyOf(const MediumId& medium) {
    // The volume and its root, not the folder: two accounts' folders on one
    // stick share its bandwidth and its room as much as its weekday folders.
    char key[64];
    std::snprintf(key, sizeof key, "%016llx-%016llx%016llx", static_cast<unsigned long long>(medium.root.volume),
                  static_cast<unsigned long long>(medium.root.high), static_cast<unsigned long long>(medium.root.low));
    return key;
}

}  // namespace zb
