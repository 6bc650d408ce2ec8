// Helper of the installer test, run under Wine beside the installed program.
//   probe window        waits for the main window and its controls, prints the caption
//   probe desktop-link  makes the desktop shortcut with the window's button and
//                       confirms the program's message
//   probe running       exit code 0 when the main window exists
//   probe foreign-window  another program with a window of the main window's
//                       class, for half a minute
//   probe hold FILE     keeps FILE open for reading only, as a program started
//                       from it under another account would, for half a minute
//   probe setup-folder-page  goes from the setup's first page to the folder
//                       page, prints its caption, heading, button and texts,
//                       and cancels the setup
//   probe rights PATH   prints the owner and rights of PATH as read back; exit
//                       code 0 when only administrators may change it
//   probe checksum FILE the PE checksum FILE states and the one Windows
//                       computes (imagehlp); exit code 0 when they agree
//   probe pid           prints the process id of the program's main window
//   probe run-now       starts a backup from the tray menu and waits until
//                       the run shows the window; wait-tray: until it is
//                       back in the tray
#include <windows.h>
#include <imagehlp.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "win32/folder_rights_win.h"
#include "platform/controls.h"

namespace {

HWND mainWindow(DWORD waitMs) {
    for (DWORD waited = 0;; waited += 100) {
        HWND h = FindWindowA("TfrmBackup", nullptr);
        // The window exists before its controls: wait for the last one.
        if (h && GetDlgItem(h, zb::controlId(zb::Ctl::btnQuit))) return h;
        if (waited >= waitMs) return nullptr;
        Sleep(100);
    }
}

HWND ownedBox(HWND owner) {
    for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box;
         box = FindWindowExA(nullptr, box, "#32770", nullptr))
        // Shown only once its texts are set.
        if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box)) return box;
    return nullptr;
}

int desktopLink(HWND main) {
    PostMessageA(GetDlgItem(main, zb::controlId(zb::Ctl::btnAddDesktop)), BM_CLICK, 0, 0);
    HWND box = nullptr;
    for (int i = 0; i < 100 && !(box = ownedBox(main)); ++i) Sleep(100);
    if (!box) { std::puts("no message box"); return 1; }
    // The box exists before its text is set: it shows once it has it.
    for (int i = 0; i < 50 && !IsWindowVisible(box); ++i) Sleep(100);
    char text[256] = "";
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    std::printf("message: %s\n", text);
    HWND ok = FindWindowExA(box, nullptr, "Button", nullptr);
    PostMessageA(ok, BM_CLICK, 0, 0);
    for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
    // "Verknüpfung erzeugt." in code page 1252.
    return std::strcmp(text, "Verkn\xfcpfung erzeugt.") == 0 && !IsWindow(box) ? 0 : 1;
}

std::string utf8Text(HWND h) {
    // WM_GETTEXT: GetWindowText does not ask a control of another process.
    wchar_t w[1024] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(w), SMTO_ABORTIFHUNG, 5000, &ignored);
    char u[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, w, -1, u, sizeof u, nullptr, nullptr);
    return u;
}

int setupFolderPage() {
    HWND setup = nullptr, page = nullptr;
    for (int i = 0; i < 200 && !setup; ++i, Sleep(100))
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr))
            if (IsWindowVisible(w) && GetDlgItem(w, 1037)) setup = w;  // the wizard's heading
    if (!setup) return std::puts("no setup window"), 1;
    PostMessageA(GetDlgItem(setup, IDOK), BM_CLICK, 0, 0);
    // The page's show function writes the space texts last.
    for (int i = 0; i < 100 && !page; ++i, Sleep(100))
        if (HWND p = FindWindowExA(setup, nullptr, "#32770", nullptr); GetDlgItem(p, 1019) && !utf8Text(GetDlgItem(p, 1023)).empty())
            page = p;
    if (!page) return std::puts("no folder page"), 1;
    auto text = [](HWND parent, int id) { return utf8Text(GetDlgItem(parent, id)); };
    std::printf("caption: %s\nheading: %s\nbutton: %s\ntext: %s\nfolder: %s%s\n%s\n%s\n", utf8Text(setup).c_str(),
                text(setup, 1037).c_str(), text(setup, IDOK).c_str(), text(page, 1006).c_str(), text(page, 1019).c_str(),
                IsWindowEnabled(GetDlgItem(page, 1019)) ? "" : " (fixed)", text(page, 1023).c_str(), text(page, 1024).c_str());
    std::fflush(stdout);
    // Cancelled and confirmed, the setup removes its temporary files.
    PostMessageA(GetDlgItem(setup, IDCANCEL), BM_CLICK, 0, 0);
    HWND box = nullptr;
    for (int i = 0; i < 100 && !(box = ownedBox(setup)); ++i) Sleep(100);
    if (box) PostMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && IsWindow(setup); ++i) Sleep(100);
    return IsWindow(setup) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0) {
        if (CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) ==
            INVALID_HANDLE_VALUE)
            return 1;
        Sleep(30000);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "rights") == 0) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        LPSTR text = nullptr;
        const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
        if (GetNamedSecurityInfoA(argv[2], SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &sd) == 0 &&
            ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, what, &text, nullptr))
            std::printf("%s\n", text);
        LocalFree(text);
        LocalFree(sd);
        std::wstring path(argv[2], argv[2] + std::strlen(argv[2]));
        return zb::setup::onlyAdministratorsMayChange(path) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "checksum") == 0) {
        DWORD stated = 0, computed = 0;
        if (MapFileAndCheckSumA(argv[2], &stated, &computed) != CHECKSUM_SUCCESS) return 1;
        std::printf("stated %08lx, computed %08lx\n", stated, computed);
        return stated == computed ? 0 : 1;
    }
    if (argc != 2) return 2;
    if (std::strcmp(argv[1], "setup-folder-page") == 0) return setupFolderPage();
    if (std::strcmp(argv[1], "foreign-window") == 0) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TfrmBackup";
        RegisterClassA(&wc);
        if (!CreateWindowA("TfrmBackup", "Fremd", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr))
            return 1;
        Sleep(30000);
        return 0;
    }
    const bool waitLong = std::strcmp(argv[1], "running") != 0;
    HWND main = mainWindow(waitLong ? 20000 : 0);
    if (!main) { std::puts("no main window"); return 1; }
    if (std::strcmp(argv[1], "window") == 0) {
        for (int i = 0; i < 50 && !IsWindowVisible(main); ++i) Sleep(100);
        char caption[256] = "";
        GetWindowTextA(main, caption, sizeof caption);
        std::printf("%s\n", caption);
        return IsWindowVisible(main) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "desktop-link") == 0) return desktopLink(main);
    // An activated schedule keeps the window in the notification area.
    if (std::strcmp(argv[1], "in-tray") == 0) return IsWindowVisible(main) ? 1 : 0;
    if (std::strcmp(argv[1], "pid") == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        std::printf("%lu\n", pid);
        return 0;
    }
    // "Backup durchführen" from the tray menu; returns once the run has
    // brought the window up, or when it is back in the tray (wait-tray).
    if (std::strcmp(argv[1], "run-now") == 0 || std::strcmp(argv[1], "wait-tray") == 0) {
        const bool start = argv[1][0] == 'r';
        if (start) PostMessageA(main, WM_COMMAND, MAKEWPARAM(zb::controlId(zb::Ctl::miExecNow), 0), 0);
        for (int i = 0; i < 600 && (IsWindowVisible(main) != 0) != start; ++i) Sleep(100);
        return (IsWindowVisible(main) != 0) == start ? 0 : 1;
    }
    return 0;
}
