#pragma once
// Drives a real ZelkorBackup.exe as a user would: finds its window and
// controls, clicks, types, reads, and answers its message boxes.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace zb::e2e {

using namespace std::chrono_literals;

struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::string caption;  // UTF-8
    std::string text;     // UTF-8
    std::vector<std::string> buttons;
};

// A folder of its own for one test: the APPDATA of the program, the sources
// and targets. Removed at the end.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    const std::string& path() const { return path_; }
    std::string appData() const { return path_ + "\\AppData"; }
    std::string settingsDir() const { return appData() + "\\ZelkorBackup"; }
    std::string iniPath() const { return settingsDir() + "\\Backup.ini"; }
    std::string makeFolder(const std::string& name) const;
    // The settings file, as bytes of code page 1252.
    void writeIni(const std::string& cp1252) const;
    std::string readIni() const;
    // One value of the settings file, as bytes of code page 1252.
    std::string iniValue(const char* section, const char* key) const;

private:
    std::string path_;
};

// How to start the program beyond its APPDATA.
struct Launch {
    std::vector<std::string> env;  // "NAME=value", replacing the test's own value
    std::string stderrFile;        // under Wine, the program's standard error goes here
    std::string arguments;         // after the program's name, without stderrFile
};

class App {
public:
    // Starts the program with APPDATA set to `appData`; without waitIdle it
    // returns as soon as the process exists.
    explicit App(const std::string& appData, bool waitIdle = true, const Launch& launch = {});
    ~App();  // ends the program if it still runs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The main window once its controls exist (it may still be hidden).
    HWND main();
    HWND control(Ctl c);
    bool mainVisible();
    bool waitMainVisible(bool visible, std::chrono::milliseconds timeout = 5s);

    // A click as the mouse makes it; returns when the program has handled it.
    void click(Ctl c);
    // A click that opens a modal box: returns at once.
    void clickAsync(Ctl c);
    void setText(Ctl c, const std::string& utf8);
    std::string text(Ctl c);
    bool checked(Ctl c);
    bool controlVisible(Ctl c);
    bool controlEnabled(Ctl c);
    bool waitText(Ctl c, const std::string& utf8, std::chrono::milliseconds timeout = 5s);
    void command(Ctl menuItem);  // as choosing a tray menu item does
    void trayNotify(LPARAM mouseMessage);

    std::optional<MessageBoxSeen> waitMessageBox(std::chrono::milliseconds timeout = 5s);
    // Presses the button of that caption; the box must go away.
    void answer(const MessageBoxSeen& box, const std::string& button);
    // Nothing modal shows up within the time.
    bool noMessageBox(std::chrono::milliseconds within = 500ms);
    HWND waitPopupMenu(std::chrono::milliseconds timeout = 5s);

    bool waitExit(std::chrono::milliseconds timeout = 10s);
    bool running();
    DWORD exitCode();

    // The window that owns the main window.
    HWND applicationWindow();
    // The program's windows that the taskbar shows an entry for, by the
    // documented rule: visible, and unowned without WS_EX_TOOLWINDOW or with
    // WS_EX_APPWINDOW.
    std::vector<HWND> taskbarEntries();
    // The program's notification icon is there (the shell knows the main
    // window's icon 0).
    bool trayIconPresent();
    // All of a control's text, however long.
    std::string fullText(Ctl c);
    // Appends at the end of an edit control as the program's log does.
    void appendText(Ctl c, const std::string& utf8);
    // Has the window paint everything now, for a screenshot.
    void paintNow();

    // A picture of a window as on the screen, as a BMP file beside the tests.
    void screenshot(HWND hwnd, const std::string& name);

private:
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
};

// A balloon over a tray icon: the shell shows it as a tooltip window of its own.
struct Balloon {
    HWND hwnd = nullptr;
    std::string text;  // UTF-8
};
std::optional<Balloon> waitBalloon(std::chrono::milliseconds timeout = 5s);

// A local time as the settings file stores it ("2026-03-05 07:08:09"), and back.
std::string stamp(const SYSTEMTIME& t);
// The log pane's text without the header lines over each run.
std::string withoutHeaders(const std::string& pane);
SYSTEMTIME fromStamp(const std::string& s);
// The user's short date, as the program writes it.
std::string shortDate(const SYSTEMTIME& t);

// What the program wrote to the event log, when started with
// WINEDEBUG=-all,+eventlog and that file as its standard error: Wine prints
// each insertion string on the channel of the event's type. The lines
// without their thread numbers.
std::string wineEvents(const std::string& stderrFile);
// One such line: channel "warn", "err" or "trace".
std::string wineEvent(const std::string& channel, const std::string& utf8);

std::string toAnsi(const std::string& utf8);
std::string fromAnsi(const std::string& ansi);
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Top-level windows of that class on the desktop, of any process.
int countWindows(const char* cls);

}  // namespace zb::e2e
