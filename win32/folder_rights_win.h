// The one reading of rights and of what a name is, from handles: for the
// program's preset, Vorgabe.exe, and the setup's folder outside Program
// Files and the uninstaller's parking folder.
#pragma once

#include <windows.h>
#include <winternl.h>
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

// The owner and rights of a security descriptor as plain data; false when
// there is an entry we cannot judge (object or conditional entries are
// nothing we set).
inline bool readRights(PSID owner, PACL dacl, Seen& seen) {
    seen.dacl.clear();
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) return false;
        if (ace->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
        const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        seen.dacl.push_back({true, allowed->Mask, sidText(const_cast<DWORD*>(&allowed->SidStart)),
                             (ace->AceFlags & INHERIT_ONLY_ACE) != 0});
    }
    seen.owner = sidText(owner);
    seen.hasDacl = dacl != nullptr;
    seen.readable = true;
    return true;
}

// The rights of `sd` as plain data, judged by `judge`; anything we cannot read is refused.
// `account`: the one account besides SYSTEM and Administrators that may
// change it (the setup's helpers run elevated as it).
template <typename Judge>
[[nodiscard]] bool judgeRights(PSID owner, PACL dacl, Judge judge, const std::string& account = ownAccount()) {
    Seen seen;
    if (!readRights(owner, dacl, seen)) return false;
    return judge(seen.owner, seen.hasDacl, seen.dacl, account);
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

// Enough to read what an entry is and whose it is, and to list a folder.
inline constexpr ACCESS_MASK kLook =
    READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE;
inline constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);  // STATUS_OBJECT_NAME_NOT_FOUND
inline constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003A);  // STATUS_OBJECT_PATH_NOT_FOUND

// `name` within the folder `parent` is open, or (parent null) `name` is a full
// NT path. Never follows a link; shares no deletion, so the entry can be
// neither renamed nor removed while it is held.
inline OwnedHandle openEntry(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG disposition,
                             ULONG options, PSECURITY_DESCRIPTOR sd, NTSTATUS* status) {
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                        static_cast<USHORT>(name.size() * sizeof(wchar_t)), const_cast<PWSTR>(name.c_str())};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, sd);
    IO_STATUS_BLOCK io{};
    HANDLE raw = nullptr;
    *status = NtCreateFile(&raw, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, disposition,
                           options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    return OwnedHandle(*status >= 0 ? raw : nullptr);
}

inline std::wstring finalPath(HANDLE h) {
    std::wstring buf(1024, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), 0);
        if (n == 0) return {};
        if (n < buf.size()) return buf.substr(0, n);
        buf.resize(n + 1);
    }
}

inline std::wstring childPath(const std::wstring& folder, const std::wstring& name) {
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// As Windows compares names: ordinal, without regard to case.
inline bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A link (junction, symbolic link, mount point), an entry that is not where
// its name says (Wine opens a Unix link's target and does not call it a
// reparse point), or a file that is also reachable under another name, from
// elsewhere.
inline bool isLinkOrShared(HANDLE h, const std::wstring& expected, bool* isFolder) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return true;
    *isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || (!*isFolder && info.nNumberOfLinks != 1) ||
           !sameName(finalPath(h), expected);
}

// What the entry open as `h` is, found where `expected` (as
// GetFinalPathNameByHandleW names it) says: its kind and its rights.
inline Seen see(HANDLE h, const std::wstring& expected) {
    Seen seen;
    seen.link = isLinkOrShared(h, expected, &seen.folder);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &sd) == ERROR_SUCCESS) {
        LocalBlock owned(sd);
        if (!readRights(owner, dacl, seen)) seen.readable = false;
    }
    return seen;
}

}  // namespace zb::setup
