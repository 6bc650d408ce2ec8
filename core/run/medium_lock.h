#pragma once
// One run per target medium on the computer: the run holds the medium's
// lock from before it looks at the weekday folder until its record is
// written, so that runs of two accounts never write one folder at once.
#include <cstdint>
#include <string>

#include "core/run_snapshot.h"
#include "platform/ports.h"

namespace zb {

class MediumLock {
public:
    MediumLock(IShellFiles& files, std::uintptr_t lock) : files_(files), lock_(lock) {}
    ~MediumLock() { files_.unlockMedium(lock_); }
    MediumLock(const MediumLock&) = delete;
    MediumLock& operator=(const MediumLock&) = delete;

    // The lock's name for a medium: the same for every account that sees it.
    static std::string keyOf(const MediumId& medium);

private:
    IShellFiles& files_;
    std::uintptr_t lock_;
};

}  // namespace zb
