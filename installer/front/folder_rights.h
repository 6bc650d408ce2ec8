// Whether a folder's (or file's) rights let only administrators change it:
// the owner and every entry that grants any kind of change must be SYSTEM,
// the Administrators group or the account that does the work (elevated, it is
// an administrator itself). Plain data in, so that it builds without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zb::setup {

struct AccessEntry {
    bool allows = true;  // an allow entry; deny entries only take away
    std::uint32_t mask = 0;
    std::string sid;  // "S-1-5-32-544"
};

inline constexpr char kSystem[] = "S-1-5-18";
inline constexpr char kAdministrators[] = "S-1-5-32-544";
inline constexpr char kCreatorOwner[] = "S-1-3-0";

// Every right that changes a file or folder, its contents, its name or its rights.
inline constexpr std::uint32_t kChangingRights = 0x0002 /*write data, add file*/ | 0x0004 /*append, add folder*/ |
                                                 0x0010 /*write EA*/ | 0x0040 /*delete child*/ |
                                                 0x0100 /*write attributes*/ | 0x00010000 /*DELETE*/ |
                                                 0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/ |
                                                 0x10000000 /*GENERIC_ALL*/ | 0x40000000 /*GENERIC_WRITE*/;

// hasDacl false: no list at all, which lets everyone do everything.
[[nodiscard]] inline bool onlyAdministratorsMayChange(const std::string& owner, bool hasDacl,
                                                      const std::vector<AccessEntry>& dacl,
                                                      const std::string& ownAccount) {
    const auto trusted = [&](const std::string& sid) {
        return sid == kSystem || sid == kAdministrators || (!ownAccount.empty() && sid == ownAccount);
    };
    if (!hasDacl || !trusted(owner)) return false;
    for (const AccessEntry& e : dacl) {
        if (!e.allows || !(e.mask & kChangingRights) || trusted(e.sid)) continue;
        // Stands for whoever creates something below: only administrators can.
        if (e.sid == kCreatorOwner) continue;
        return false;
    }
    return true;
}

}  // namespace zb::setup
