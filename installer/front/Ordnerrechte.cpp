// Ordnerrechte.exe FOLDER: gives an installation folder outside Program Files
// the rights of Program Files (Administrators and SYSTEM full control, Users
// read and execute, nothing inherited from the folder above; everything in
// it takes those rights alone, owned by Administrators) and reads them back.
// The setup runs it, elevated, before it writes a file there. Exit code 0:
// only administrators can change the folder and what it holds, or it lies in
// Program Files, which keeps its own rights; 1: not so, the setup refuses it.
// Program Files is left as it is: its rights are Windows' own.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "folder_rights_win.h"

namespace {

using zb::setup::onlyAdministratorsMayChange;

constexpr wchar_t kProgramFolderRights[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kInheritedOnly[] = L"O:BAD:AI";

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

std::wstring fullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring buf(n, L'\0');
    if (!n || GetFullPathNameW(path.c_str(), n, buf.data(), nullptr) != n - 1) return {};
    buf.resize(n - 1);
    while (buf.size() > 3 && buf.back() == L'\\') buf.pop_back();
    return buf;
}

std::wstring knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(id, 0, nullptr, &path);
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, &CoTaskMemFree);
    return SUCCEEDED(hr) && path ? std::wstring(path) : std::wstring();
}

bool isAtOrBelow(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || path.size() < folder.size()) return false;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
        return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\';
}

bool setRights(const std::wstring& path, const wchar_t* sddl, SECURITY_INFORMATION inheritance) {
    const zb::setup::LocalBlock sd = zb::setup::descriptor(sddl);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    if (!sd || !GetSecurityDescriptorOwner(sd.get(), &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(sd.get(), &present, &dacl, &defaulted))
        return false;
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | inheritance, owner,
                                 nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

// Everything below `folder` loses rights of its own. A link to elsewhere is
// refused: its target's rights are not ours to change.
bool resetBelow(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE raw = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (raw == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    std::unique_ptr<void, FindCloser> search(raw);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        const std::wstring path = folder + L"\\" + name;
        if (!setRights(path, kInheritedOnly, UNPROTECTED_DACL_SECURITY_INFORMATION) ||
            !onlyAdministratorsMayChange(path))
            return false;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !resetBelow(path)) return false;
    } while (FindNextFileW(raw, &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool secure(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return setRights(folder, kProgramFolderRights, PROTECTED_DACL_SECURITY_INFORMATION) &&
           onlyAdministratorsMayChange(folder) && resetBelow(folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring folder = argv && argc == 2 ? fullPath(argv[1]) : std::wstring();
    LocalFree(argv);
    if (folder.empty()) return 1;
    if (isAtOrBelow(folder, knownFolder(FOLDERID_ProgramFiles)) ||
        isAtOrBelow(folder, knownFolder(FOLDERID_ProgramFilesX86)))
        return 0;
    return secure(folder) ? 0 : 1;
}
