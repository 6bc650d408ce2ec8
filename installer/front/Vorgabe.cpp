// Vorgabe.exe FILE: makes FILE the administrator's preset that every user's
// first start of the program takes, %ProgramData%\ZELKOR Backup\Vorgabe.ini.
// Both setups run it elevated from the installation folder (the NSIS setup
// for /VORGABE=, the MSI package for the property VORGABE); an administrator
// may run it later to change the preset. The folder is made with its rights
// in the same call (administrators and SYSTEM change, users read), since
// every user's program trusts what it holds; a folder that exists already is
// taken only when only administrators can change it, never one a user made
// first. The file is written beside its place and renamed over it, so a
// reader sees the old preset or the new one. Exit code 0: the preset is in
// place; 1: not so, nothing changed.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "folder_rights_win.h"

namespace {

using zb::setup::OwnedHandle;

// The settings file of a program with 28 settings: anything larger is no preset.
constexpr DWORD kLargestPreset = 1 << 20;

std::wstring presetFolder() {
    PWSTR path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, &CoTaskMemFree);
    return SUCCEEDED(hr) && path ? std::wstring(path) + L"\\ZELKOR Backup" : std::wstring();
}

bool readAll(const std::wstring& path, std::vector<char>& out) {
    OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestPreset) return false;
    out.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    return out.empty() ||
           (ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got == out.size());
}

bool ownFolder(const std::wstring& folder) {
    const zb::setup::LocalBlock sd =
        zb::setup::descriptor(L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    if (!sd) return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, sd.get(), FALSE};
    if (CreateDirectoryW(folder.c_str(), &sa)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD a = GetFileAttributesW(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT) &&
           zb::setup::onlyAdministratorsMayChange(folder);
}

bool place(const std::wstring& folder, const std::vector<char>& content) {
    const std::wstring target = folder + L"\\Vorgabe.ini";
    const std::wstring temp = folder + L"\\Vorgabe.ini." + std::to_wstring(GetCurrentProcessId()) + L".neu";
    {
        // A new file takes the folder's rights.
        OwnedHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        DWORD written = 0;
        if (!content.empty() &&
            (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
             written != content.size() || !FlushFileBuffers(file.get()))) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring source = argv && argc == 2 ? argv[1] : L"";
    LocalFree(argv);
    std::vector<char> content;
    if (source.empty() || !readAll(source, content)) return 1;
    const std::wstring folder = presetFolder();
    return !folder.empty() && ownFolder(folder) && place(folder, content) ? 0 : 1;
}
