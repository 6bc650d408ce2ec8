#pragma once
// The one way the run builds a path in its target: a listed or fixed name
// joined to the full form of the target's folder, so that no later step can
// change a name ("P1." stays "P1.", not "P1"). Beside it the same path as
// the user knows it, for the reports.
#include <string>

#include "platform/ports.h"

namespace zb {

struct TargetPath {
    std::string full;   // for every call that writes, removes or lists
    std::string shown;  // for the reports: the target as typed
    TargetPath operator/(const std::string& name) const;
};

// The target's folder itself: "E:" is shown as "E:\".
TargetPath targetFolder(IShellFiles& files, const std::string& target);

}  // namespace zb
