// Deinstallieren.exe: starts the uninstaller of ZELKOR Backup and waits for it.
//
// The uninstaller the setup writes (Deinstallieren.dat beside this program)
// would, started directly, copy itself to a temporary folder, start that copy
// and return 0 at once: a script could not learn whether anything was
// removed. This program starts it in place, on the program folder, waits, and
// exits with its code: 0 removed, 3 the program is running and cannot be
// closed, 1618 a backup runs (retry later), 9 files stayed, 2 cancelled or not
// started. /S makes the uninstall silent; /LOG= and /WARTEN= are passed on.
//
// Both run elevated, so neither is ever copied to or started from a folder a
// standard user can change (the user's TEMP is one): the program folder lets
// only administrators change it (Program Files, or the rights the setup gave
// it). Nothing here is built from environment values, and no command
// interpreter is started.
#include <windows.h>

#include <string>

#include "win32/folder_rights_win.h"

namespace {

constexpr int kRemoved = 0;
constexpr int kFailed = 2;
// A name shared with installer/ZelkorBackup.nsi.
constexpr wchar_t kUninstallerData[] = L"Deinstallieren.dat";
// Administrators and SYSTEM only, nothing inherited from the folder above.
constexpr wchar_t kParkingRights[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring ownPath() {
    std::wstring buf(32768, L'\0');
    buf.resize(GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size())));
    return buf;
}

bool silentRequested() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool silent = false;
    for (int i = 1; argv && i < argc; ++i) silent = silent || std::wstring(argv[i]) == L"/S";
    LocalFree(argv);
    return silent;
}

// The uninstaller's own options, passed on as given: /LOG= (its log file)
// and /WARTEN= (how long it waits for a backup to end).
std::wstring passedOptions() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring options;
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool log = _wcsnicmp(a.c_str(), L"/LOG=", 5) == 0, wait = _wcsnicmp(a.c_str(), L"/WARTEN=", 8) == 0;
        // A quote inside would end the value early and begin another option.
        if ((log || wait) && a.find(L'"') == std::wstring::npos)
            options += log ? L"/LOG=\"" + a.substr(5) + L"\" " : a + L" ";
    }
    LocalFree(argv);
    return options;
}

// The system's folders as the system knows them, never from the environment.
std::wstring systemPath(UINT (*WINAPI query)(LPWSTR, UINT)) {
    wchar_t buf[MAX_PATH + 1];
    const UINT n = query(buf, MAX_PATH + 1);
    return n && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

int runAndWait(std::wstring commandLine, const std::wstring& directory) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                        &pi))
        return -1;
    zb::setup::OwnedHandle thread(pi.hThread), process(pi.hProcess);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = kFailed;
    if (!GetExitCodeProcess(pi.hProcess, &code)) code = kFailed;
    return static_cast<int>(code);
}

// The ended uninstaller may take a moment to let go of its file.
bool deleteSoon(const std::wstring& path) {
    for (int i = 0; i < 20; ++i) {
        if (DeleteFileW(path.c_str())) return true;
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(50);
    }
    return false;
}

// A new folder in Windows' own temporary folder that only administrators can
// change, created so and checked; or an empty text.
std::wstring makeParkingFolder() {
    const std::wstring windows = systemPath(GetSystemWindowsDirectoryW);
    const zb::setup::LocalBlock sd = zb::setup::descriptor(kParkingRights);
    if (windows.empty() || !sd) return {};
    SECURITY_ATTRIBUTES sa{sizeof sa, sd.get(), FALSE};
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId(), tries = 0; tries < 100; ++n, ++tries) {
        const std::wstring dir = windows + L"\\Temp\\ZelkorBackup-Deinstallation-" + std::to_wstring(n & 0xFFFFF);
        if (CreateDirectoryW(dir.c_str(), &sa)) {
            if (zb::setup::onlyAdministratorsMayChange(dir)) return dir;
            RemoveDirectoryW(dir.c_str());
            return {};
        }
        // A name someone else took is never used.
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

// What the uninstaller, run in place, cannot remove: its own file, this
// program and the folder. This program still runs: moved into a parking
// folder it leaves the program folder empty, and goes with that folder at the
// next start of Windows.
void removeWhatIsLeft(const std::wstring& programFolder, const std::wstring& self) {
    deleteSoon(programFolder + L"\\" + kUninstallerData);
    const std::wstring parking = makeParkingFolder();
    const std::wstring parked = parking + L"\\Deinstallieren.exe";
    if (!parking.empty() && MoveFileExW(self.c_str(), parked.c_str(), 0)) {
        MoveFileExW(parked.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        MoveFileExW(parking.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        // Only when empty: it may hold the remote-maintenance program.
        RemoveDirectoryW(programFolder.c_str());
        return;
    }
    // Another drive than Windows: it goes from the program folder itself.
    if (!parking.empty()) RemoveDirectoryW(parking.c_str());
    MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(programFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on our behalf: System32 only, never beside us.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const bool silent = silentRequested();
    const std::wstring self = ownPath();
    const std::wstring programFolder = folderOf(self);
    // Started from within the program folder, this program would keep it.
    const std::wstring system = systemPath(GetSystemDirectoryW);
    SetCurrentDirectoryW(system.c_str());
    // "_?=" must come last and unquoted: the rest of the line is the folder.
    const std::wstring uninstaller = programFolder + L"\\" + kUninstallerData;
    const int code = self.empty() || system.empty()
                         ? -1
                         : runAndWait(L"\"" + uninstaller + L"\" " + (silent ? L"/S " : L"") + passedOptions() +
                                          L"_?=" + programFolder,
                                      system);
    if (code == -1 && !silent) {
        const std::wstring text = L"Die Deinstallation von ZELKOR Backup konnte nicht gestartet werden.\r\n\r\n" +
                                  uninstaller + L" fehlt oder ist nicht lesbar.";
        MessageBoxW(nullptr, text.c_str(), L"ZELKOR Backup", MB_OK | MB_ICONERROR);
    }
    if (code == kRemoved) removeWhatIsLeft(programFolder, self);
    // The uninstaller's own codes (see the README); its 1 is a cancel.
    return code < 0 || code == 1 ? kFailed : code;
}
