#pragma once
// Which target a run uses: from the number the previous run stored and the
// targets that are there. Runs rotate over targets 1, 2 and 3 (skipping one
// whose field is empty); 4 to 8 serve when the preferred one is missing, and
// a fall-back to one of them sticks until it is missing too or the rotation
// is reset.
#include <cstdint>
#include <functional>

namespace zb {

struct TargetChoice {
    int target = 0;        // 1 to 8; 0: no target a run may use
    bool present = false;  // false: none is there, the run carries on with target 2
};

// `named(n)`: target n's field holds a text; `absolute(n)`: an absolute path;
// `present(n)`: the folder is there, asked in the order of the search and
// only as far as needed (a missing network drive is slow to answer).
TargetChoice chooseTarget(std::int32_t stored, const std::function<bool(int)>& named,
                          const std::function<bool(int)>& absolute, const std::function<bool(int)>& present);

}  // namespace zb
