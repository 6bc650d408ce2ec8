#include "driver.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

#include "../contract/contract_util.h"
#include "platform/ports.h"
#include "win32/text_win32.h"

namespace zb::e2e {

std::string toAnsi(const std::string& utf8) { return zb::toAnsi(utf8); }
std::string fromAnsi(const std::string& ansi) { return zb::fromAnsi(ansi); }

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
}

namespace {

std::string windowText(HWND h) {
    wchar_t buf[4096] = {};
    const auto n = SendMessageW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
    return zb::fromWide(std::wstring_view(buf, static_cast<std::size_t>(n)));
}

std::string className(HWND h) {
    char buf[64] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

struct Search {
    DWORD pid;
    const char* cls;
    HWND found;
};

HWND findTopLevel(DWORD pid, const char* cls) {
    Search s{pid, cls, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == s->pid && className(h) == s->cls && (s->cls[0] != '#' || IsWindowVisible(h))) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

Sandbox::Sandbox() {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::random_device rd;
    path_ = std::string(tmp) + "zbe2e-" + std::to_string(rd());
    std::filesystem::create_directories(path_);
    std::filesystem::create_directories(appData());
}

Sandbox::~Sandbox() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string Sandbox::makeFolder(const std::string& name) const {
    const std::string p = path_ + "\\" + name;
    std::filesystem::create_directories(p);
    return p;
}

void Sandbox::writeIni(const std::string& cp1252) const {
    std::filesystem::create_directories(settingsDir());
    std::ofstream(iniPath(), std::ios::binary) << cp1252;
}

std::string Sandbox::readIni() const {
    std::ifstream in(iniPath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Sandbox::iniValue(const char* section, const char* key) const {
    char buf[2048] = {};
    GetPrivateProfileStringA(section, key, "", buf, sizeof buf, iniPath().c_str());
    return buf;
}

std::string withoutHeaders(const std::string& pane) {
    std::string out;
    for (std::size_t at = 0, end; (end = pane.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (pane.compare(at, 28, "Meldungen der Sicherung vom ") && pane.compare(at, 22, "Weitere Meldungen vom "))
            out += pane.substr(at, end + 2 - at);
    return out;
}

std::string stamp(const SYSTEMTIME& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

SYSTEMTIME fromStamp(const std::string& s) {
    SYSTEMTIME t{};
    std::sscanf(s.c_str(), "%4hu-%2hu-%2hu %2hu:%2hu:%2hu", &t.wYear, &t.wMonth, &t.wDay, &t.wHour, &t.wMinute,
                &t.wSecond);
    return t;
}

std::string shortDate(const SYSTEMTIME& t) {
    char buf[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buf, sizeof buf);
    return buf;
}

std::string wineEvents(const std::string& stderrFile) {
    std::ifstream in(stderrFile, std::ios::binary);
    std::string all, line;
    while (std::getline(in, line)) all += line.substr(line.find(':') + 1) + "\n";
    return all;
}

std::string wineEvent(const std::string& channel, const std::string& utf8) {
    std::string line = channel + ":eventlog:ReportEventW L\"";
    for (wchar_t c : zb::toWide(utf8)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\%04x", static_cast<unsigned>(c));
        line += c == L'\\' || c == L'"'   ? std::string{'\\', char(c)}
                : c < 32 || c >= 127 ? std::string(hex)
                                     : std::string(1, char(c));
    }
    return line + "\"\n";
}

App::App(const std::string& appData, bool waitIdle, const Launch& launch) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string exe = (std::filesystem::path(self).parent_path() / "ZelkorBackup.exe").string();

    // The environment of the test, with APPDATA and the launch's variables replaced.
    std::vector<std::string> extra = launch.env;
    extra.push_back("APPDATA=" + toAnsi(appData));
    const auto replaced = [&](const char* var) {
        for (const auto& e : extra)
            if (_strnicmp(var, e.c_str(), e.find('=') + 1) == 0) return true;
        return false;
    };
    std::string env;
    LPCH block = GetEnvironmentStringsA();
    for (LPCH p = block; *p; p += std::strlen(p) + 1)
        if (!replaced(p)) env.append(p).push_back('\0');
    FreeEnvironmentStringsA(block);
    for (const auto& e : extra) env.append(e).push_back('\0');
    env.push_back('\0');

    STARTUPINFOA si{};
    si.cb = sizeof si;
    char loader[MAX_PATH] = {};
    if (launch.stderrFile.empty() || !GetEnvironmentVariableA("WINELOADER", loader, sizeof loader)) {
        std::string cmd = "\"" + exe + "\"";
        if (!launch.arguments.empty()) cmd += " " + launch.arguments;
        // Right after a test's program has ended, Wine now and then refuses
        // the next start of the same exe for a moment; that is no finding.
        DWORD error = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, env.data(), nullptr, &si, &pi_)) {
                error = 0;
                break;
            }
            error = GetLastError();
            std::this_thread::sleep_for(500ms);
        }
        if (error) throw std::runtime_error("cannot start " + exe + " (error " + std::to_string(error) + ")");
    } else {
        // Wine hands a child the standard input and output of STARTUPINFO,
        // but its standard error, where Wine's debug channels print, stays
        // the parent's. So a Unix shell with the file as its output starts
        // the program, through cmd: Wine resets APPDATA for a program started
        // from Unix. The program is then no child of ours: found by its window.
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(launch.stderrFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, CREATE_ALWAYS, 0, nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = si.hStdError = out;
        std::string cmd = "Z:\\bin\\sh -c \"exec \\\"$0\\\" cmd /c \\\"$1\\\" 2>&1\" " + std::string(loader) +
                          " \"set APPDATA=" + toAnsi(appData) + "&& " + exe + "\"";
        PROCESS_INFORMATION shell{};
        const BOOL ok =
            CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, env.data(), nullptr, &si, &shell);
        CloseHandle(out);
        HWND w = nullptr;
        if (ok) waitFor([&] { return (w = FindWindowA("TfrmBackup", nullptr)) != nullptr; }, 10s);
        GetWindowThreadProcessId(w, &pi_.dwProcessId);
        if (!w || !(pi_.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pi_.dwProcessId)))
            throw std::runtime_error("cannot start " + cmd);
    }
    if (waitIdle) WaitForInputIdle(pi_.hProcess, 5000);
}

App::~App() {
    if (running()) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

bool App::running() { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD App::exitCode() {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

HWND App::applicationWindow() { return GetWindow(main(), GW_OWNER); }

std::vector<HWND> App::taskbarEntries() {
    struct Found {
        DWORD pid;
        std::vector<HWND> windows;
    } found{pi_.dwProcessId, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Found*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            const LONG ex = GetWindowLongA(h, GWL_EXSTYLE);
            const bool unowned = GetWindow(h, GW_OWNER) == nullptr && !(ex & WS_EX_TOOLWINDOW);
            if (owner == f->pid && IsWindowVisible(h) && (unowned || (ex & WS_EX_APPWINDOW)))
                f->windows.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

bool App::trayIconPresent() {
    // A modification without anything to modify fails only for an icon the
    // shell does not know.
    NOTIFYICONDATAA n{};
    n.cbSize = NOTIFYICONDATAA_V2_SIZE;
    n.hWnd = main();
    n.uID = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &n) != FALSE;
}

std::string App::fullText(Ctl c) {
    const HWND h = control(c);
    std::wstring buf(static_cast<std::size_t>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const auto n = SendMessageW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<std::size_t>(n));
    return zb::fromWide(buf);
}

void App::appendText(Ctl c, const std::string& utf8) {
    const HWND h = control(c);
    const std::wstring w = zb::toWide(utf8);
    const auto end = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
}

std::optional<Balloon> waitBalloon(std::chrono::milliseconds timeout) {
    Balloon b;
    waitFor(
        [&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); w;
                 w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr))
                if (IsWindowVisible(w)) b.hwnd = w;
            return b.hwnd != nullptr;
        },
        timeout);
    if (!b.hwnd) return std::nullopt;
    b.text = windowText(b.hwnd);
    return b;
}

int countWindows(const char* cls) {
    int n = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) ++n;
    return n;
}

bool App::waitExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

HWND App::main() {
    if (main_) return main_;
    waitFor(
        [&] {
            HWND h = findTopLevel(pi_.dwProcessId, "TfrmBackup");
            // The window exists before its controls: wait for the last one.
            if (h && GetDlgItem(h, controlId(Ctl::btnQuit))) main_ = h;
            return main_ != nullptr;
        },
        10s);
    if (!main_) throw std::runtime_error("main window not found");
    return main_;
}

HWND App::control(Ctl c) { return GetDlgItem(main(), controlId(c)); }

bool App::mainVisible() { return IsWindowVisible(main()) != FALSE; }

bool App::waitMainVisible(bool visible, std::chrono::milliseconds timeout) {
    return waitFor([&] { return mainVisible() == visible; }, timeout);
}

void App::click(Ctl c) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(control(c), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &r);
}

void App::clickAsync(Ctl c) { PostMessageA(control(c), BM_CLICK, 0, 0); }

void App::setText(Ctl c, const std::string& utf8) {
    const std::wstring w = zb::toWide(utf8);
    SendMessageW(control(c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

std::string App::text(Ctl c) { return windowText(control(c)); }

bool App::checked(Ctl c) { return SendMessageA(control(c), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool App::controlVisible(Ctl c) { return (GetWindowLongA(control(c), GWL_STYLE) & WS_VISIBLE) != 0; }

bool App::controlEnabled(Ctl c) { return IsWindowEnabled(control(c)) != FALSE; }

bool App::waitText(Ctl c, const std::string& utf8, std::chrono::milliseconds timeout) {
    return waitFor([&] { return text(c) == utf8; }, timeout);
}

void App::command(Ctl menuItem) { PostMessageA(main(), WM_COMMAND, MAKEWPARAM(controlId(menuItem), 0), 0); }

void App::trayNotify(LPARAM mouseMessage) { PostMessageA(main(), WM_TRAYNOTIFY, 0, mouseMessage); }

std::optional<MessageBoxSeen> App::waitMessageBox(std::chrono::milliseconds timeout) {
    HWND box = nullptr;
    waitFor([&] { return (box = findTopLevel(pi_.dwProcessId, "#32770")) != nullptr; }, timeout);
    if (!box) return std::nullopt;
    MessageBoxSeen seen;
    seen.hwnd = box;
    // The button captions are renamed when the box activates; let that happen.
    std::this_thread::sleep_for(100ms);
    seen.caption = windowText(box);
    seen.text = windowText(GetDlgItem(box, 0xFFFF));
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (className(c) == "Button" && IsWindowVisible(c)) seen.buttons.push_back(windowText(c));
    return seen;
}

void App::answer(const MessageBoxSeen& box, const std::string& button) {
    for (HWND c = GetWindow(box.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (className(c) == "Button" && windowText(c) == button) {
            PostMessageA(c, BM_CLICK, 0, 0);
            waitFor([&] { return !IsWindow(box.hwnd); }, 5s);
            return;
        }
    }
    throw std::runtime_error("no button " + button);
}

bool App::noMessageBox(std::chrono::milliseconds within) { return !waitMessageBox(within); }

HWND App::waitPopupMenu(std::chrono::milliseconds timeout) {
    HWND menu = nullptr;
    waitFor([&] { return (menu = findTopLevel(pi_.dwProcessId, "#32768")) != nullptr; }, timeout);
    return menu;
}

void App::paintNow() {
    RedrawWindow(main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR r = 0;
    SendMessageTimeoutA(main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
}

void App::screenshot(HWND hwnd, const std::string& name) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    std::filesystem::create_directories("screenshots");
    std::ofstream out("screenshots\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    out.write(static_cast<const char*>(bits), stride * h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

}  // namespace zb::e2e
