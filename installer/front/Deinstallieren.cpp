// Deinstallieren.exe: starts the uninstaller of ZELKOR Backup and waits for it.
//
// The uninstaller the setup writes (Deinstallieren.dat beside this program)
// would, started directly, copy itself to a temporary folder, start that copy
// and return 0 at once: a script could not learn whether anything was
// removed. This program makes the copy itself, starts it on the program
// folder, waits, and exits with its code: 0 removed, 3 the program is running
// (nothing changed), 2 anything else. /S makes the uninstall silent.
//
// It holds no handle on its own file, so the uninstaller can move it out of
// the program folder while it waits; the folder is gone when it returns.
#include <windows.h>

#include <string>

namespace {

constexpr int kRemoved = 0;
constexpr int kProgramRuns = 3;
constexpr int kFailed = 2;
// Names shared with installer/ZelkorBackup.nsi.
constexpr wchar_t kUninstallerData[] = L"Deinstallieren.dat";
constexpr wchar_t kMovedHere[] = L"Deinstallieren-Start.exe";

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring ownPath() {
    std::wstring buf(32768, L'\0');
    buf.resize(GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size())));
    return buf;
}

// A new empty folder in TEMP, or an empty text.
std::wstring makeTempFolder() {
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, temp)) return {};
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId(), tries = 0; tries < 100; ++n, ++tries) {
        const std::wstring dir = std::wstring(temp) + L"ZelkorBackup-Deinstallation-" + std::to_wstring(n & 0xFFFFF);
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool silentRequested() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool silent = false;
    for (int i = 1; argv && i < argc; ++i) silent = silent || std::wstring(argv[i]) == L"/S";
    LocalFree(argv);
    return silent;
}

std::wstring systemFolder() {
    wchar_t buf[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryW(buf, MAX_PATH + 1);
    return n && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

int runAndWait(std::wstring commandLine, const std::wstring& directory) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                        &pi))
        return -1;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = kFailed;
    if (!GetExitCodeProcess(pi.hProcess, &code)) code = kFailed;
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// The ended copy may take a moment to let go of its file; what is still
// held then goes at the next start of Windows.
void removeNowOrAtRestart(const std::wstring& path, bool folder, int tries) {
    for (int i = 0; i < tries; ++i) {
        if (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) return;
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return;
        Sleep(50);
    }
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// This program's own file, moved into `folder`, can only go once it has
// ended: the command interpreter waits two seconds, then removes the folder.
void removeAfterExit(const std::wstring& folder, const std::wstring& system) {
    std::wstring command = L"\"" + system + L"\\cmd.exe\" /d /c ping -n 3 127.0.0.1 >nul & rd /s /q \"" + folder + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, system.c_str(),
                       &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const bool silent = silentRequested();
    const std::wstring programFolder = folderOf(ownPath());
    // Started from within the program folder, this program would keep it.
    const std::wstring system = systemFolder();
    SetCurrentDirectoryW(system.c_str());
    const std::wstring temp = makeTempFolder();
    const std::wstring copy = temp + L"\\Deinstallieren.exe";
    int code = -1;
    if (!temp.empty() && CopyFileW((programFolder + L"\\" + kUninstallerData).c_str(), copy.c_str(), FALSE)) {
        // "_?=" must come last and unquoted: the rest of the line is the folder.
        code = runAndWait(L"\"" + copy + L"\" " + (silent ? L"/S " : L"") + L"_?=" + programFolder, temp);
    }
    if (code == -1 && !silent) {
        const std::wstring text = L"Die Deinstallation von ZELKOR Backup konnte nicht gestartet werden.\r\n\r\n" +
                                  programFolder + L"\\" + kUninstallerData + L" fehlt oder ist nicht lesbar.";
        MessageBoxW(nullptr, text.c_str(), L"ZELKOR Backup", MB_OK | MB_ICONERROR);
    }
    if (!temp.empty()) {
        removeNowOrAtRestart(copy, false, 20);
        // This program, moved there by the uninstaller, still runs.
        const std::wstring moved = temp + L"\\" + kMovedHere;
        const bool movedHere = GetFileAttributesW(moved.c_str()) != INVALID_FILE_ATTRIBUTES;
        removeNowOrAtRestart(moved, false, 1);
        removeNowOrAtRestart(temp, true, 1);
        if (movedHere) removeAfterExit(temp, system);
    }
    return code == kRemoved || code == kProgramRuns ? code : kFailed;
}
