// Which folder the setup may install into, whose rights protect it, and
// whether the administrator's preset is where only administrators put it.
// Plain data in, so that it builds and is tested without Windows; the one
// reading of rights from handles is folder_rights_win.h, for the program,
// Vorgabe.exe and the setup's helpers alike.
//
// A folder or file is protected when its owner and every entry that grants
// any kind of change are SYSTEM, the Administrators group, TrustedInstaller or
// the account that does the work (elevated, it is an administrator itself).
// An installation folder is acceptable only when it lies on a local drive and
// every folder above it is protected; the drive's root, which nobody can
// rename or replace, only must not let others remove or re-point what is in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zb::setup {

struct AccessEntry {
    bool allows = true;  // an allow entry; deny entries only take away
    std::uint32_t mask = 0;
    std::string sid;  // "S-1-5-32-544"
    // Only passed on to what is created below: says nothing about this object.
    bool inheritOnly = false;
};

inline constexpr char kSystem[] = "S-1-5-18";
inline constexpr char kAdministrators[] = "S-1-5-32-544";
inline constexpr char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
inline constexpr char kCreatorOwner[] = "S-1-3-0";

// Every right that changes a file or folder, its contents, its name or its rights.
inline constexpr std::uint32_t kChangingRights = 0x0002 /*write data, add file*/ | 0x0004 /*append, add folder*/ |
                                                 0x0010 /*write EA*/ | 0x0040 /*delete child*/ |
                                                 0x0100 /*write attributes*/ | 0x00010000 /*DELETE*/ |
                                                 0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/ |
                                                 0x10000000 /*GENERIC_ALL*/ | 0x40000000 /*GENERIC_WRITE*/;
// What lets someone remove, rename or re-point an entry of a drive's root, or
// the root's rights. Adding a file or folder beside ours changes nothing of ours.
inline constexpr std::uint32_t kReplacingRights = 0x0040 /*delete child*/ | 0x00010000 /*DELETE*/ |
                                                  0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/ |
                                                  0x10000000 /*GENERIC_ALL*/;

enum class Place {
    DriveRoot,  // "C:\", or %ProgramData%: others may add beside ours, not replace it
    Other,      // a folder above the installation folder, the folder, anything in it
};

// hasDacl false: no list at all, which lets everyone do everything.
[[nodiscard]] inline bool protectedFrom(std::uint32_t rights, const std::string& owner, bool hasDacl,
                                        const std::vector<AccessEntry>& dacl, const std::string& ownAccount) {
    const auto trusted = [&](const std::string& sid) {
        return sid == kSystem || sid == kAdministrators || sid == kTrustedInstaller ||
               (!ownAccount.empty() && sid == ownAccount);
    };
    if (!hasDacl || !trusted(owner)) return false;
    for (const AccessEntry& e : dacl) {
        if (!e.allows || e.inheritOnly || !(e.mask & rights) || trusted(e.sid)) continue;
        // Stands for whoever creates something below: only administrators can.
        if (e.sid == kCreatorOwner) continue;
        return false;
    }
    return true;
}

[[nodiscard]] inline bool onlyAdministratorsMayChange(const std::string& owner, bool hasDacl,
                                                      const std::vector<AccessEntry>& dacl,
                                                      const std::string& ownAccount) {
    return protectedFrom(kChangingRights, owner, hasDacl, dacl, ownAccount);
}

// Whether an existing folder at `place` on the way to the installation folder,
// or the folder of an installation and what it holds, may stay as it is.
[[nodiscard]] inline bool mayHoldInstallation(Place place, const std::string& owner, bool hasDacl,
                                              const std::vector<AccessEntry>& dacl, const std::string& ownAccount) {
    return protectedFrom(place == Place::DriveRoot ? kReplacingRights : kChangingRights, owner, hasDacl, dacl,
                         ownAccount);
}

// What one handle showed of an entry: whether it is a link (a reparse point,
// or not where its name says), a folder, and its owner and rights.
struct Seen {
    bool link = true;
    bool folder = false;
    bool readable = false;  // owner and rights read, every entry one we can judge
    std::string owner;
    bool hasDacl = false;
    std::vector<AccessEntry> dacl;
};

// The preset every user's first start takes: %ProgramData% (where users may
// make folders of their own, but not remove or re-point ours), the preset's
// folder and the file, none a link, only administrators able to change the
// folder and the file. `ownAccount`: the own account counts as an
// administrator only where it is one (elevated).
[[nodiscard]] inline bool presetIsTrusted(const Seen& shared, const Seen& folder, const Seen& file,
                                          const std::string& ownAccount) {
    const auto judged = [&](const Seen& s, bool isFolder, Place place) {
        return !s.link && s.readable && s.folder == isFolder &&
               mayHoldInstallation(place, s.owner, s.hasDacl, s.dacl, ownAccount);
    };
    return judged(shared, true, Place::DriveRoot) && judged(folder, true, Place::Other) &&
           judged(file, false, Place::Other);
}

// The folders from the drive's root down to `fullPath` ("C:\A\B" gives "C:\",
// "A", "B"), or nothing when it is no folder on a drive letter: a network path
// ("\\server\share", "\\?\UNC\..."), a device path, or a name Windows would
// read otherwise than it is written.
[[nodiscard]] inline std::vector<std::wstring> installPathParts(std::wstring_view fullPath) {
    const auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    if (fullPath.size() < 4 || !letter(fullPath[0]) || fullPath[1] != L':' || fullPath[2] != L'\\') return {};
    std::vector<std::wstring> parts{std::wstring(fullPath.substr(0, 3))};
    std::wstring_view rest = fullPath.substr(3);
    while (!rest.empty()) {
        const std::size_t cut = rest.find(L'\\');
        const std::wstring_view name = rest.substr(0, cut);
        // Windows drops trailing dots and blanks and reads ":" as a stream.
        if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ' ||
            name.find_first_of(L":*?\"<>|/") != std::wstring_view::npos)
            return {};
        for (const wchar_t c : name)
            if (c < 32) return {};
        parts.emplace_back(name);
        rest = cut == std::wstring_view::npos ? std::wstring_view() : rest.substr(cut + 1);
    }
    return parts;
}

}  // namespace zb::setup
