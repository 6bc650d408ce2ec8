#include "core/rotation.h"

namespace zb {

TargetChoice chooseTarget(std::int32_t stored, const std::function<bool(int)>& named,
                          const std::function<bool(int)>& absolute, const std::function<bool(int)>& present) {
    // A damaged number must not stop every backup until someone resets it:
    // it reads like a missing one, and the run's number repairs the file.
    if (stored < 1 || stored > 8) stored = 1;
    int start = stored;
    if (stored == 1) start = named(2) ? 2 : 1;
    else if (stored == 2) start = named(3) ? 3 : 1;
    else if (stored == 3) start = 1;

    for (int n = start; n >= 1; --n)
        if (present(n)) return {n, true};
    for (int n = 8; n >= 2; --n)
        if (present(n)) return {n, true};
    // Carrying on with target 2 only makes sense where its path names a
    // drive: from an empty or relative text the paths would land in the
    // current directory or the root of the current drive.
    if (!absolute(2)) return {};
    return {2, false};
}

}  // namespace zb
