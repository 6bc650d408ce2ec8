// The rights of folders of ours, set explicitly and read back: the setup's
// folder outside Program Files and the uninstaller's parking folder.
#pragma once

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "folder_rights.h"

namespace zb::setup {

struct LocalFreer {
    void operator()(void* p) const { LocalFree(p); }
};
using LocalBlock = std::unique_ptr<void, LocalFreer>;

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// An owned security descriptor made from SDDL, or null.
inline LocalBlock descriptor(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return nullptr;
    return LocalBlock(sd);
}

// SIDs are plain ASCII as text.
inline std::string sidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
    LocalBlock owned(text);
    return std::string(text, text + lstrlenW(text));
}

inline std::string ownAccount() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    OwnedHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buf(size ? size : 1);
    if (!GetTokenInformation(raw, TokenUser, buf.data(), size, &size)) return {};
    return sidText(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid);
}

// The rights of `sd` as plain data, judged by `judge`; anything we cannot read is refused.
// `account`: the one account besides SYSTEM and Administrators that may
// change it (the setup's helpers run elevated as it).
template <typename Judge>
[[nodiscard]] bool judgeRights(PSID owner, PACL dacl, Judge judge, const std::string& account = ownAccount()) {
    std::vector<AccessEntry> entries;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) return false;
        if (ace->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        // Object or conditional entries are nothing we set: not ours to judge.
        if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
        const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        entries.push_back({true, allowed->Mask, sidText(const_cast<DWORD*>(&allowed->SidStart)),
                           (ace->AceFlags & INHERIT_ONLY_ACE) != 0});
    }
    return judge(sidText(owner), dacl != nullptr, entries, account);
}

// Reads the rights of `path` back from the file system and judges them.
[[nodiscard]] inline bool onlyAdministratorsMayChange(const std::wstring& path,
                                                     const std::string& account = ownAccount()) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return false;
    LocalBlock owned(sd);
    return judgeRights(owner, dacl, [](auto&&... a) { return onlyAdministratorsMayChange(a...); }, account);
}

// The same for what `handle` (opened with READ_CONTROL) is, wherever its name now points.
[[nodiscard]] inline bool mayHoldInstallation(HANDLE handle, Place place) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return false;
    LocalBlock owned(sd);
    return judgeRights(owner, dacl, [place](auto&&... a) { return mayHoldInstallation(place, a...); });
}

}  // namespace zb::setup
